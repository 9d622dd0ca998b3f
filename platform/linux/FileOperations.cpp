#include "platform/FileOperations.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool copyContents(int from, int to)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(from, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || !writeAll(to, buffer, static_cast<std::size_t>(n)))
            return false;
    }
}

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
    // Non-blocking so that opening a FIFO cannot hang; cleared again below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
        return nullptr;
    }
    identity.volume = static_cast<std::uint64_t>(info.st_dev);
    identity.file = static_cast<std::uint64_t>(info.st_ino);
    identity.size = static_cast<std::uint64_t>(info.st_size);
    identity.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return file;
}

std::FILE* createFile(const std::string& path)
{
    return std::fopen(path.c_str(), "wb");
}

bool seekForward(std::FILE* file, std::uint64_t n)
{
    return n <= static_cast<std::uint64_t>(INT64_MAX) && ::fseeko(file, static_cast<off_t>(n), SEEK_CUR) == 0;
}

bool copyFile(const std::string& from, const std::string& to)
{
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return false;
    struct stat sourceInfo {};
    struct stat targetInfo {};
    const bool targetExists = stat(to.c_str(), &targetInfo) == 0;
    // Opening the destination truncates it: copying a file onto itself would
    // destroy it, and a device or folder is never what a copy should overwrite.
    if (fstat(source, &sourceInfo) != 0
        || (targetExists && (!S_ISREG(targetInfo.st_mode)
                             || (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino)))) {
        close(source);
        return false;
    }
    const int target = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (target < 0) {
        close(source);
        return false;
    }
    bool ok = copyContents(source, target);
    ok = close(target) == 0 && ok;
    close(source);
    if (!ok)
        unlink(to.c_str()); // a half-written IR would load as a wrong one
    return ok;
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool canCreateFilesIn(const std::string& folder)
{
    // The kernel's own answer for this user: the mode bits, access lists and a
    // read-only mount all count (the last even for root).
    return isFolder(folder) && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool makeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    for (std::size_t end = path.find('/', 1); ; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (end == std::string::npos)
            break;
    }
    return isFolder(path);
}

bool resolveShortcut(const std::string& path, std::string& target)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return false;
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved)
        return false;
    target = resolved;
    std::free(resolved);
    return true;
}

} // namespace platform
