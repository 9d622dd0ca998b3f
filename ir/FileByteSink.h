#pragma once
// A ByteSink that creates (or overwrites) a file for binary writing.
#include "ir/ByteSink.h"

#include <cstdio>

namespace ir {

class FileByteSink final : public ByteSink {
public:
    FileByteSink() = default;
    ~FileByteSink() override;
    FileByteSink(const FileByteSink&) = delete;
    FileByteSink& operator=(const FileByteSink&) = delete;

    bool open(const char* path);
    // False when buffered data could not be flushed, so a full disk is noticed.
    bool close();

    bool write(const void* source, std::size_t n) override;

private:
    std::FILE* file_ = nullptr;
};

} // namespace ir
