#pragma once
// A ByteSource over a caller-owned buffer; the buffer must outlive the source.
#include "ir/ByteSource.h"

namespace ir {

class MemoryByteSource final : public ByteSource {
public:
    MemoryByteSource(const void* data, std::size_t size);

    std::size_t read(void* destination, std::size_t n) override;
    bool skip(std::uint64_t n) override;
    std::int64_t tell() const override;
    std::uint64_t remaining() const override;

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

} // namespace ir
