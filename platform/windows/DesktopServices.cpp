#include "platform/DesktopServices.h"

#include "platform/windows/ComSession.h"
#include "platform/windows/WideText.h"

#include <windows.h>

#include <shellapi.h>

namespace platform {

namespace {

class ShellDesktopServices final : public DesktopServices {
public:
    void openUrl(const std::string& url) override
    {
        // The shell's "open" verb: the user's browser, no parameters, no folder, no owner.
        ComSession com;
        ShellExecuteW(nullptr, L"open", widen(url).c_str(), L"", L"", SW_SHOWNORMAL);
    }
};

} // namespace

DesktopServices& systemDesktopServices()
{
    static ShellDesktopServices services;
    return services;
}

} // namespace platform
