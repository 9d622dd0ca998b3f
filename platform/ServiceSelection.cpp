// Which clock, dialogs and desktop services are in force: a test's
// replacement, else the dialog script, else the operating system's own.
#include "platform/Clock.h"
#include "platform/DesktopServices.h"
#include "platform/DialogScript.h"
#include "platform/Dialogs.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<Clock*> gClock {nullptr};
std::atomic<Dialogs*> gDialogs {nullptr};
std::atomic<DesktopServices*> gDesktopServices {nullptr};

} // namespace

Clock& clock()
{
    Clock* replacement = gClock.load(std::memory_order_acquire);
    return replacement ? *replacement : systemClock();
}

void setClock(Clock* replacement)
{
    gClock.store(replacement, std::memory_order_release);
}

Dialogs& dialogs()
{
    if (Dialogs* replacement = gDialogs.load(std::memory_order_acquire))
        return *replacement;
    if (DialogScript* script = activeDialogScript())
        return *script;
    return systemDialogs();
}

void setDialogs(Dialogs* replacement)
{
    gDialogs.store(replacement, std::memory_order_release);
}

DesktopServices& desktopServices()
{
    if (DesktopServices* replacement = gDesktopServices.load(std::memory_order_acquire))
        return *replacement;
    if (DialogScript* script = activeDialogScript())
        return *script;
    return systemDesktopServices();
}

void setDesktopServices(DesktopServices* replacement)
{
    gDesktopServices.store(replacement, std::memory_order_release);
}

} // namespace platform
