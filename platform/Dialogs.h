#pragma once
// The modal dialogs the plug-in shows: message boxes, a Yes/No question and
// the file-open dialog. Replaceable, so that tests can answer them; with
// RVB_DIALOG_SCRIPT set they are answered from that file (DialogScript.h).
#include "platform/FileDialogRequest.h"

#include <string>

namespace platform {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Message box with an OK button; blocks until dismissed.
    virtual void messageBox(const std::string& caption, const std::string& utf8Text) = 0;
    // Yes/No question; true for Yes. No dialog available answers No.
    virtual bool askYesNo(const std::string& caption, const std::string& utf8Text) = 0;
    // File-open dialog; false when cancelled or unavailable.
    virtual bool openFileDialog(const FileDialogRequest& request, std::string& chosenPath) = 0;
};

// The dialogs in force: a test's replacement, else the dialog script while
// RVB_DIALOG_SCRIPT names one, else the system's dialogs.
Dialogs& dialogs();
// Installs a replacement (not owned); nullptr removes it.
void setDialogs(Dialogs* replacement);
// The operating system's own dialogs, whatever is in force.
Dialogs& systemDialogs();

} // namespace platform
