#include "platform/UserDataFolder.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cstdlib>

namespace platform {

namespace {

// The roaming application-data folder (%APPDATA%), where a user's settings
// and files of their own programs live.
std::wstring roamingAppData()
{
    PWSTR known = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known)) && known)
        folder = known;
    CoTaskMemFree(known);
    if (folder.empty()) {
        const wchar_t* variable = _wgetenv(L"APPDATA");
        if (variable)
            folder = variable;
    }
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}

} // namespace

std::string perUserDataFolder()
{
    const std::wstring base = roamingAppData();
    return base.empty() ? std::string() : narrow(base + L"\\KestrelReverb\\data");
}

} // namespace platform
