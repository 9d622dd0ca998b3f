#include "ir/MemoryByteSource.h"

#include <cstring>

namespace ir {

MemoryByteSource::MemoryByteSource(const void* data, std::size_t size)
    : data_(static_cast<const unsigned char*>(data)), size_(data != nullptr ? size : 0)
{
}

std::size_t MemoryByteSource::read(void* destination, std::size_t n)
{
    const std::size_t count = n < size_ - position_ ? n : size_ - position_;
    if (count > 0)
        std::memcpy(destination, data_ + position_, count);
    position_ += count;
    return count;
}

bool MemoryByteSource::skip(std::uint64_t n)
{
    if (n > size_ - position_)
        return false;
    position_ += static_cast<std::size_t>(n);
    return true;
}

std::int64_t MemoryByteSource::tell() const
{
    return static_cast<std::int64_t>(position_);
}

std::uint64_t MemoryByteSource::remaining() const
{
    return size_ - position_;
}

} // namespace ir
