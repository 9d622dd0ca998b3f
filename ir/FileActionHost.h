#pragma once
// What the IR file actions need from the effect and its editor. The effect
// implements this, so that the actions never include the shell, the editor or
// the toolkit.
#include "vst/VstInterface.h"

#include <mutex>

namespace ir {

class IRData;

class FileActionHost {
public:
    virtual ~FileActionHost() = default;

    // The plug-in's own IR library, "<module folder>/data".
    virtual const char* dataFolder() const = 0;
    // The effect's IR object, used only with applicationMutex() held.
    virtual IRData& irData() = 0;
    // Serialises the actions' loads with parameter application and the editor.
    virtual std::recursive_mutex& applicationMutex() = 0;
    // Puts the 80 path values into the current parameter values 23..102,
    // without telling the host and without touching the programs.
    virtual void storePathParams(const float* values80) = 0;
    // The CopyToLocal button on the editor's frame (show) or off it; nothing
    // while the editor is closed. Any thread.
    virtual void showCopyButton(bool show) = 0;
    // Runs a file-select request (the host's selector or the desktop's
    // dialog); the number of files chosen.
    virtual long runFileSelector(vst::VstFileSelect& request) = 0;
};

} // namespace ir
