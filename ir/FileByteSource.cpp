#include "ir/FileByteSource.h"

#include "platform/FileOperations.h"

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
    platform::FileIdentity identity;
    file_ = platform::openRegularFile(path, identity);
    if (file_ == nullptr)
        return false;
    identity_ = identity;
    size_ = identity.size;
    position_ = 0;
    return true;
}

void FileByteSource::close()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    identity_ = platform::FileIdentity{};
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
    if (!platform::seekForward(file_, n))
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
