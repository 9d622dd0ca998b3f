#include "host/FileChecks.h"

#include "host/windows/HostText.h"

#include <windows.h>

namespace {

// The volume and file index name a file whatever path leads to it.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

bool identify(const std::string& path, FileIdentity& id)
{
    const HANDLE file = CreateFileW(toWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info {};
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return ok;
}

} // namespace

bool checkReadableFile(const std::string& path, const std::string& what, std::string& error)
{
    const std::wstring wide = toWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = "cannot read " + what + " " + path + ": " + systemErrorText(GetLastError());
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = what + " " + path + " is a folder, not a file";
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DEVICE) {
        error = what + " " + path + " is not a regular file";
        return false;
    }
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot read " + what + " " + path + ": " + systemErrorText(GetLastError());
        return false;
    }
    CloseHandle(file);
    return true;
}

bool checkDistinctOutput(const std::string& output, const std::vector<std::string>& inputs, std::string& error)
{
    FileIdentity out;
    if (!identify(output, out))
        return true;  // a new file cannot be one of the inputs
    for (const std::string& input : inputs) {
        FileIdentity in;
        if (input.empty() || !identify(input, in))
            continue;
        if (in.volume == out.volume && in.indexHigh == out.indexHigh && in.indexLow == out.indexLow) {
            error = "the output " + output + " is the same file as " + input + "; refusing to overwrite it";
            return false;
        }
    }
    return true;
}
