#pragma once
// What the IR file actions need from the reverb that owns them. The reverb
// implements this, so that the actions never include a shell, the editor or
// the toolkit.
#include "platform/FileDialogRequest.h"

#include <string>

namespace ir {

class IRData;

class FileActionHost {
public:
    virtual ~FileActionHost() = default;

    // The plug-in's own IR library, "<module folder>/data".
    virtual const char* dataFolder() const = 0;
    // The reverb's IR object (it locks itself).
    virtual IRData& irData() = 0;
    // Puts the 80 path values into the current parameter values 23..102,
    // without telling the host and without touching the programs.
    virtual void storePathParams(const float* values80) = 0;
    // The CopyToLocal button on the editor's frame (show) or off it; nothing
    // while the editor is closed. Any thread.
    virtual void showCopyButton(bool show) = 0;
    // Runs the file-select dialog; true with the chosen path.
    virtual bool chooseFile(const platform::FileDialogRequest& request, std::string& chosenPath) = 0;
    // A file could not be loaded: `reason` says why a sound file was refused,
    // empty when it could not be read at all.
    virtual void reportLoadFailure(const std::string& path, const std::string& reason) = 0;
    // Something the user must hear of (a path too long to use), under a caption.
    virtual void tellUser(const std::string& caption, const std::string& text) = 0;
};

} // namespace ir
