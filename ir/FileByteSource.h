#pragma once
// A ByteSource over a file opened for buffered binary reading. Only regular
// files are opened: a FIFO or device named like an IR would block or never end.
#include "ir/ByteSource.h"
#include "platform/FileOperations.h"

#include <cstdio>

namespace ir {

class FileByteSource final : public ByteSource {
public:
    FileByteSource() = default;
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    // Closes any file already open, then opens path. False when it cannot be
    // opened or is not a regular file.
    bool open(const char* path);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    // Of the file open now.
    const platform::FileIdentity& identity() const { return identity_; }

    std::size_t read(void* destination, std::size_t n) override;
    bool skip(std::uint64_t n) override;
    std::int64_t tell() const override;
    std::uint64_t remaining() const override;

private:
    std::FILE* file_ = nullptr;
    platform::FileIdentity identity_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

} // namespace ir
