#include "host/ReplacingFile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary file a signal must not leave behind (one at a time).
char gPending[4096];
volatile std::sig_atomic_t gHavePending = 0;

extern "C" void removePendingAndDie(int signal)
{
    if (gHavePending)
        unlink(gPending);
    std::signal(signal, SIG_DFL);
    raise(signal);
}

void watchSignals()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = removePendingAndDie;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

void setPending(const std::string& path)
{
    gHavePending = 0;
    if (path.empty() || path.size() >= sizeof gPending)
        return;
    std::memcpy(gPending, path.c_str(), path.size() + 1);
    gHavePending = 1;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

bool ReplacingFile::create(const std::string& target, std::string& error)
{
    discard();
    target_ = target;
    std::string pattern = target + ".rvbhost-XXXXXX";
    fd_ = mkstemp(pattern.data());
    if (fd_ < 0) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        return false;
    }
    temporary_ = pattern;
    setPending(temporary_);
    watchSignals();
    // The finished file gets the target's permissions, or those of a new file.
    struct stat existing {};
    if (stat(target.c_str(), &existing) == 0) {
        fchmod(fd_, existing.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd_, 0666 & ~mask);
    }
    return true;
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
    bool ok = true;
    int fd = fd_;
    if (fd < 0)
        fd = open(temporary_.c_str(), O_RDONLY);
    if (fd < 0 || fsync(fd) != 0)
        ok = false;
    if (fd >= 0)
        close(fd);
    fd_ = -1;
    if (ok && rename(temporary_.c_str(), target_.c_str()) != 0)
        ok = false;
    if (!ok) {
        error = "cannot write " + target_ + ": " + std::strerror(errno);
        discard();
        return false;
    }
    gHavePending = 0;
    temporary_.clear();
    // The rename itself reaches the disk with the folder.
    const int folder = open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

void ReplacingFile::discard()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) {
        gHavePending = 0;
        unlink(temporary_.c_str());
        temporary_.clear();
    }
}
