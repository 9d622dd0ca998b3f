#include "host/ReplacingFile.h"

#include "host/windows/HostText.h"

#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

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

} // namespace

bool ReplacingFile::create(const std::string& target, std::string& error)
{
    discard();
    target_ = target;
    // A name of our own beside the target; a clash with an existing file tries the next.
    const DWORD process = GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            target + ".rvbhost-" + std::to_string(process) + "-" + std::to_string(GetTickCount() + attempt);
        fd_ = _wopen(toWide(candidate).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd_ >= 0) {
            temporary_ = candidate;
            setPending(toWide(temporary_));
            watchSignals();
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = "cannot write " + target + ": " + std::strerror(errno);
    return false;
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::commit(std::string& error)
{
    if (temporary_.empty()) {
        error = "nothing written for " + target_;
        return false;
    }
    if (fd_ >= 0) {
        _commit(fd_);
        _close(fd_);
    }
    fd_ = -1;
    // Replaces the target in one step; write-through: the file is on disk when this returns.
    if (!MoveFileExW(toWide(temporary_).c_str(), toWide(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = "cannot write " + target_ + ": " + systemErrorText(GetLastError());
        discard();
        return false;
    }
    gHavePending = 0;
    temporary_.clear();
    return true;
}

void ReplacingFile::discard()
{
    if (fd_ >= 0)
        _close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) {
        gHavePending = 0;
        DeleteFileW(toWide(temporary_).c_str());
        temporary_.clear();
    }
}
