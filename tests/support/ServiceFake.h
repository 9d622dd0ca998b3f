#pragma once
// One test object standing in for the clock, the dialogs and the desktop
// services at once. Dialogs answer at once (No, cancel) and show nothing
// unless the test's fake says otherwise; the clock is the fake's own.
#include "platform/Clock.h"
#include "platform/DesktopServices.h"
#include "platform/Dialogs.h"

#include <string>

namespace testsupport {

class ServiceFake : public platform::Clock, public platform::Dialogs, public platform::DesktopServices {
public:
    void messageBox(const std::string&, const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    bool openFileDialog(const platform::FileDialogRequest&, std::string&) override { return false; }
    void openUrl(const std::string&) override {}
};

// Puts the fake in force for every service; nullptr gives the real ones back.
inline void installServices(ServiceFake* fake)
{
    platform::setClock(fake);
    platform::setDialogs(fake);
    platform::setDesktopServices(fake);
}

} // namespace testsupport
