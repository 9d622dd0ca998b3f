#pragma once
// What the reverb asks of the plug-in shell that holds it: it reports what the
// user must hear of, and borrows the host's way of choosing a file. Each
// shell answers in its format's terms (a message box or the host's log, the
// host's own file selector or the desktop's dialog).
#include "platform/FileDialogRequest.h"

#include <string>

namespace core {

class ReverbHost {
public:
    virtual ~ReverbHost() = default;

    // An IR file could not be loaded: a restore's path, a chosen or dropped
    // file, a file a host sent. `reason` says why a sound file was refused;
    // it is empty when the file could not be read at all. On the thread that
    // asked for the file, never the audio thread or the reverb's worker.
    virtual void irLoadFailed(const std::string& path, const std::string& reason) = 0;

    // Something else the user must hear of (a path too long to use), under a
    // caption. Threads as for irLoadFailed.
    virtual void tellUser(const std::string& caption, const std::string& text) = 0;

    // A parameter took a new normalised value (from the host, a program, a
    // restore or the Reset action), for an editor to follow. Any thread, the
    // audio thread included: only note it.
    virtual void parameterChanged(int id, float value) = 0;

    // The CopyToLocal button should show (the IR in force lies outside the
    // IR library) or not. Any non-audio thread: only note it.
    virtual void copyButtonChanged(bool show) = 0;

    // The "IR File Select" dialog; true with the chosen path, false when
    // cancelled. On the thread of the action, which may wait.
    virtual bool chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath) = 0;
};

} // namespace core
