#include "ir/FileByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ir {

FileByteSource::~FileByteSource()
{
    close();
}

bool FileByteSource::open(const char* path)
{
    close();
    if (path == nullptr)
        return false;
    // Non-blocking so that opening a FIFO cannot hang; cleared again below.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file_ = ::fdopen(fd, "rb");
    if (file_ == nullptr) {
        ::close(fd);
        return false;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    position_ = 0;
    return true;
}

void FileByteSource::close()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
    position_ = 0;
}

std::size_t FileByteSource::read(void* destination, std::size_t n)
{
    if (file_ == nullptr || n == 0)
        return 0;
    const std::size_t count = std::fread(destination, 1, n, file_);
    position_ += count;
    return count;
}

bool FileByteSource::skip(std::uint64_t n)
{
    if (file_ == nullptr || position_ > size_ || n > size_ - position_)
        return false;
    if (n == 0)
        return true;
    if (::fseeko(file_, static_cast<off_t>(n), SEEK_CUR) != 0)
        return false;
    position_ += n;
    return true;
}

std::int64_t FileByteSource::tell() const
{
    return file_ != nullptr ? static_cast<std::int64_t>(position_) : -1;
}

std::uint64_t FileByteSource::remaining() const
{
    // The file may have shrunk since it was opened; never report a negative rest.
    return file_ != nullptr && position_ < size_ ? size_ - position_ : 0;
}

} // namespace ir
