// A dropped shell link (.lnk) stands for its target: resolved through the
// shell's link object, in the target's short form.
#include "platform/FileOperations.h"
#include "platform/windows/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>
#include <string>

namespace {

// Makes a shortcut to target with the shell's own link object.
bool makeShortcut(const std::wstring& link, const std::wstring& target)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* shellLink = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&shellLink)));
    IPersistFile* file = nullptr;
    ok = ok && SUCCEEDED(shellLink->SetPath(target.c_str()))
         && SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))
         && SUCCEEDED(file->Save(link.c_str(), TRUE));
    if (file)
        file->Release();
    if (shellLink)
        shellLink->Release();
    CoUninitialize();
    return ok;
}

std::wstring longPath(const std::string& path)
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = GetLongPathNameW(platform::widen(path).c_str(), buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

} // namespace

TEST(ShellLink, ResolvesToTheTargetAndLeavesOtherFilesAlone)
{
    const std::string dir = testsupport::makeTempDir("lnk");
    const std::wstring wideDir = platform::widen(dir);
    const std::wstring target = wideDir + L"\\Concert Hall Long Name.wav";
    testsupport::writeFile(dir + "\\Concert Hall Long Name.wav", "RIFF");
    ASSERT_TRUE(makeShortcut(wideDir + L"\\Hall.LNK", target));

    std::string resolved = "untouched";
    ASSERT_TRUE(platform::resolveShortcut(dir + "\\Hall.LNK", resolved));
    // The short form names the same file as the long one.
    EXPECT_EQ(longPath(resolved), longPath(dir + "\\Concert Hall Long Name.wav"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(platform::widen(resolved))));

    std::string other = "untouched";
    EXPECT_FALSE(platform::resolveShortcut(dir + "\\Concert Hall Long Name.wav", other));
    EXPECT_FALSE(platform::resolveShortcut(dir + "\\missing.lnk", other));
    EXPECT_FALSE(platform::resolveShortcut(dir + "\\lnk", other));
    EXPECT_EQ(other, "untouched");
    std::filesystem::remove_all(dir);
}
