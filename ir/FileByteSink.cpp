#include "ir/FileByteSink.h"

#include "platform/FileOperations.h"

namespace ir {

FileByteSink::~FileByteSink()
{
    close();
}

bool FileByteSink::open(const char* path)
{
    close();
    if (path == nullptr)
        return false;
    file_ = platform::createFile(path);
    return file_ != nullptr;
}

bool FileByteSink::close()
{
    if (file_ == nullptr)
        return true;
    const bool flushed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed;
}

bool FileByteSink::write(const void* source, std::size_t n)
{
    if (file_ == nullptr)
        return false;
    return n == 0 || std::fwrite(source, 1, n, file_) == n;
}

} // namespace ir
