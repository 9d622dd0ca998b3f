#include "platform/DesktopServices.h"

#include "platform/linux/ChildProcess.h"

#include <cstdio>

namespace platform {

namespace {

// The desktop's own opener, started detached so that the browser outlives nothing of ours.
class XdgDesktopServices final : public DesktopServices {
public:
    void openUrl(const std::string& url) override
    {
        if (!startDetached({"xdg-open", url}))
            std::fprintf(stderr, "[open url] could not start xdg-open for %s\n", url.c_str());
    }
};

} // namespace

DesktopServices& systemDesktopServices()
{
    static XdgDesktopServices services;
    return services;
}

} // namespace platform
