#pragma once
// Sequential, forward-only access to the bytes of an IR file. The readers only
// ever move forward, so a file on disk and a buffer in memory (tests, fuzzing)
// look the same to them.
#include <cstddef>
#include <cstdint>

namespace ir {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Copies up to n bytes from the current position and moves past them.
    // Returns the number copied, fewer than n only at the end of the data.
    virtual std::size_t read(void* destination, std::size_t n) = 0;

    // Moves forward n bytes. Refuses (false, position unchanged) a move past
    // the end, so a chunk size larger than the file is caught here.
    virtual bool skip(std::uint64_t n) = 0;

    // Byte position from the start, or -1 when it cannot be told.
    virtual std::int64_t tell() const = 0;

    // Bytes between the current position and the end.
    virtual std::uint64_t remaining() const = 0;
};

} // namespace ir
