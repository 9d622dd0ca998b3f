#include "platform/Services.h"

#include "platform/DesktopServices.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<Services*> g_replacement {nullptr};

Services& desktopServices()
{
    static DesktopServices desktop;
    return desktop;
}

} // namespace

Services& services()
{
    Services* replacement = g_replacement.load(std::memory_order_acquire);
    return replacement ? *replacement : desktopServices();
}

void setServices(Services* replacement)
{
    g_replacement.store(replacement, std::memory_order_release);
}

} // namespace platform
