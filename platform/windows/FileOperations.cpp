#include "platform/FileOperations.h"

#include "platform/windows/ComSession.h"
#include "platform/windows/WideText.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwctype>

namespace platform {

namespace {

bool endsWithLnk(const std::wstring& path)
{
    const std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || path.size() - dot != 4)
        return false;
    const wchar_t* ext = L".lnk";
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::towlower(path[dot + i]) != ext[i])
            return false;
    }
    return true;
}

// Releases a COM interface when it goes out of scope.
template <typename T>
struct Released {
    T* p = nullptr;
    ~Released()
    {
        if (p)
            p->Release();
    }
};

} // namespace

std::FILE* openRegularFile(const std::string& path, std::uint64_t& size)
{
    FileIdentity identity;
    std::FILE* file = openRegularFile(path, identity);
    size = identity.size;
    return file;
}

std::FILE* openRegularFile(const std::string& path, FileIdentity& identity)
{
    const std::wstring wide = widen(path);
    if (wide.empty())
        return nullptr;
    // A folder does not open without backup semantics; pipes and devices are refused by type.
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER length {};
    BY_HANDLE_FILE_INFORMATION info {};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &length) || length.QuadPart < 0 ||
        !GetFileInformationByHandle(handle, &info)) {
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (!file) {
        _close(fd); // closes the handle too
        return nullptr;
    }
    identity.volume = info.dwVolumeSerialNumber;
    identity.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.size = static_cast<std::uint64_t>(length.QuadPart);
    identity.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                                  info.ftLastWriteTime.dwLowDateTime);
    return file;
}

std::FILE* createFile(const std::string& path)
{
    const std::wstring wide = widen(path);
    return wide.empty() ? nullptr : _wfopen(wide.c_str(), L"wb");
}

bool seekForward(std::FILE* file, std::uint64_t n)
{
    return n <= static_cast<std::uint64_t>(INT64_MAX) && _fseeki64(file, static_cast<__int64>(n), SEEK_CUR) == 0;
}

bool copyFile(const std::string& from, const std::string& to)
{
    const std::wstring source = widen(from);
    const std::wstring target = widen(to);
    // Overwrites a file of the same name; a folder, or the source itself, is never overwritten.
    return !source.empty() && !target.empty() && CopyFileW(source.c_str(), target.c_str(), FALSE) != 0;
}

bool isFolder(const std::string& path)
{
    const std::wstring wide = widen(path);
    if (wide.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool canCreateFilesIn(const std::string& folder)
{
    // Access lists decide, and no attribute tells them (C:\Program Files is
    // not read-only, only closed to users): a file is made and removed again.
    if (!isFolder(folder))
        return false;
    const std::wstring base =
        widen(folder) + L"\\.kestrel-write-check-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned attempt = 0; attempt < 8; ++attempt) {
        const std::wstring probe = base + std::to_wstring(GetTickCount64() + attempt);
        HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                    nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

bool makeFolders(const std::string& path)
{
    const std::wstring wide = widen(path);
    if (wide.empty())
        return false;
    // Each folder from the top down; a drive or share (or a folder there
    // already) refuses to be made, and only the whole path's outcome counts.
    for (std::size_t end = wide.find_first_of(L"\\/"); ; end = wide.find_first_of(L"\\/", end + 1)) {
        const std::wstring part = wide.substr(0, end);
        if (!part.empty())
            CreateDirectoryW(part.c_str(), nullptr);
        if (end == std::wstring::npos)
            break;
    }
    return isFolder(path);
}

bool resolveShortcut(const std::string& path, std::string& target)
{
    const std::wstring link = widen(path);
    if (!endsWithLnk(link))
        return false;
    ComSession com;
    Released<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink.p))))
        return false;
    Released<IPersistFile> file;
    if (FAILED(shellLink.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
        return false;
    if (FAILED(file.p->Load(link.c_str(), STGM_READ)))
        return false;
    // No user interface, any match, at most 500 ms (the time-out is the high word).
    if (FAILED(shellLink.p->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH | (500u << 16))))
        return false;
    wchar_t resolved[MAX_PATH] = {};
    if (shellLink.p->GetPath(resolved, MAX_PATH, nullptr, SLGP_SHORTPATH) != S_OK || resolved[0] == L'\0')
        return false;
    target = narrow(resolved);
    return true;
}

} // namespace platform
