#include "host/OutputSystem.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
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
    // A write past the file-size limit (ulimit -f) then fails as a full disk
    // does, checked and reported, instead of ending the host on the spot.
    std::signal(SIGXFSZ, SIG_IGN);
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

// A link is followed to the file it names, so that the link stays a link and
// a name like /dev/stdout leads to what it stands for, not to /dev.
std::string followLinks(const std::string& path)
{
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

class LinuxOutputs final : public OutputSystem {
public:
    Target inspect(const std::string& path) override
    {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0)
            return Target::Absent;
        return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) ? Target::File : Target::Device;
    }

    bool createBeside(const std::string& target, Handle& handle, std::string& temporary, std::string& reason) override
    {
        const std::string resolved = followLinks(target);
        std::string pattern = resolved + ".rvbhost-XXXXXX";
        const int fd = mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) {
            reason = std::strerror(errno);
            return false;
        }
        temporary = pattern;
        setPending(temporary);
        watchSignals();
        // The finished file gets the target's permissions, or those of a new file.
        struct stat existing {};
        if (stat(resolved.c_str(), &existing) == 0) {
            fchmod(fd, existing.st_mode & 07777);
        } else {
            const mode_t mask = umask(0);
            umask(mask);
            fchmod(fd, 0666 & ~mask);
        }
        handle = fd;
        return true;
    }

    bool openDevice(const std::string& path, Handle& handle, std::string& reason) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            reason = std::strerror(errno);
            return false;
        }
        handle = fd;
        return true;
    }

    bool write(Handle handle, const void* data, std::size_t n, std::size_t& written, std::string& reason) override
    {
        ssize_t done;
        do
            done = ::write(static_cast<int>(handle), data, n);
        while (done < 0 && errno == EINTR);
        if (done < 0) {
            reason = std::strerror(errno);
            return false;
        }
        written = static_cast<std::size_t>(done);
        return true;
    }

    bool flush(Handle handle, std::string& reason) override
    {
        // EINVAL: a device or pipe, which keeps nothing to put on a disk.
        if (fsync(static_cast<int>(handle)) != 0 && errno != EINVAL) {
            reason = std::strerror(errno);
            return false;
        }
        return true;
    }

    bool close(Handle handle, std::string& reason) override
    {
        if (::close(static_cast<int>(handle)) != 0) {
            reason = std::strerror(errno);
            return false;
        }
        return true;
    }

    bool replace(const std::string& temporary, const std::string& target, std::string& reason) override
    {
        const std::string resolved = followLinks(target);
        if (rename(temporary.c_str(), resolved.c_str()) != 0) {
            reason = std::strerror(errno);
            return false;
        }
        gHavePending = 0;
        // The rename itself reaches the disk with the folder.
        const int folder = ::open(folderOf(resolved).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            fsync(folder);
            ::close(folder);
        }
        return true;
    }

    void remove(const std::string& path) override
    {
        gHavePending = 0;
        unlink(path.c_str());
    }
};

} // namespace

OutputSystem& systemOutputs()
{
    static LinuxOutputs outputs;
    return outputs;
}
