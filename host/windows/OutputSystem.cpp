#include "host/OutputSystem.h"

#include "host/windows/HostText.h"

#include <windows.h>

#include <csignal>
#include <cstring>

namespace {

// The temporary file a Ctrl+C must not leave behind (one at a time).
wchar_t gPending[32768];
volatile std::sig_atomic_t gHavePending = 0;

extern "C" void removePendingAndDie(int signal)
{
    if (gHavePending)
        DeleteFileW(gPending);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void watchSignals()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    std::signal(SIGINT, removePendingAndDie);
    std::signal(SIGTERM, removePendingAndDie);
}

void setPending(const std::wstring& path)
{
    gHavePending = 0;
    if (path.empty() || path.size() >= sizeof gPending / sizeof gPending[0])
        return;
    std::memcpy(gPending, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    gHavePending = 1;
}

HANDLE asHandle(OutputSystem::Handle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

std::string lastError()
{
    return systemErrorText(GetLastError());
}

class WindowsOutputs final : public OutputSystem {
public:
    Target inspect(const std::string& path) override
    {
        // Asks for no access at all: only what the name leads to.
        HANDLE h = CreateFileW(toWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Target::Absent : Target::File;
        }
        const DWORD type = GetFileType(h);
        CloseHandle(h);
        return type == FILE_TYPE_DISK ? Target::File : Target::Device;
    }

    bool createBeside(const std::string& target, Handle& handle, std::string& temporary, std::string& reason) override
    {
        // A name of our own beside the target; a clash with an existing file tries the next.
        const DWORD process = GetCurrentProcessId();
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            const std::string candidate =
                target + ".rvbhost-" + std::to_string(process) + "-" + std::to_string(GetTickCount() + attempt);
            HANDLE h = CreateFileW(toWide(candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                temporary = candidate;
                setPending(toWide(temporary));
                watchSignals();
                handle = reinterpret_cast<Handle>(h);
                return true;
            }
            if (GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
        reason = lastError();
        return false;
    }

    bool openDevice(const std::string& path, Handle& handle, std::string& reason) override
    {
        HANDLE h = CreateFileW(toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            reason = lastError();
            return false;
        }
        handle = reinterpret_cast<Handle>(h);
        return true;
    }

    bool write(Handle handle, const void* data, std::size_t n, std::size_t& written, std::string& reason) override
    {
        const DWORD piece = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
        DWORD done = 0;
        if (!WriteFile(asHandle(handle), data, piece, &done, nullptr)) {
            reason = lastError();
            return false;
        }
        written = done;
        return true;
    }

    bool flush(Handle handle, std::string& reason) override
    {
        // A device or pipe keeps nothing to put on a disk.
        if (GetFileType(asHandle(handle)) == FILE_TYPE_DISK && !FlushFileBuffers(asHandle(handle))) {
            reason = lastError();
            return false;
        }
        return true;
    }

    bool close(Handle handle, std::string& reason) override
    {
        if (!CloseHandle(asHandle(handle))) {
            reason = lastError();
            return false;
        }
        return true;
    }

    bool replace(const std::string& temporary, const std::string& target, std::string& reason) override
    {
        // Replaces the target in one step; write-through: the file is on disk when this returns.
        if (!MoveFileExW(toWide(temporary).c_str(), toWide(target).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            reason = lastError();
            return false;
        }
        gHavePending = 0;
        return true;
    }

    void remove(const std::string& path) override
    {
        gHavePending = 0;
        DeleteFileW(toWide(path).c_str());
    }
};

} // namespace

OutputSystem& systemOutputs()
{
    static WindowsOutputs outputs;
    return outputs;
}
