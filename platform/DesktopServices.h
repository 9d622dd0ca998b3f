#pragma once
// What the plug-in asks of the desktop besides dialogs: opening a web page in
// the user's browser. Replaceable, so that tests can record the addresses;
// with RVB_DIALOG_SCRIPT set the address is only logged (DialogScript.h).
#include <string>

namespace platform {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Opens a web address in the desktop's browser, detached; result ignored.
    virtual void openUrl(const std::string& url) = 0;
};

// The services in force: a test's replacement, else the dialog script while
// RVB_DIALOG_SCRIPT names one, else the system's.
DesktopServices& desktopServices();
// Installs a replacement (not owned); nullptr removes it.
void setDesktopServices(DesktopServices* replacement);
// The operating system's own services, whatever is in force.
DesktopServices& systemDesktopServices();

} // namespace platform
