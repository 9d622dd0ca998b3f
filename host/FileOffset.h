#pragma once
// Positions in files of any size: the C library's long offsets stop at 2 GiB
// where long has 32 bits (Windows), and audio files grow past that.
#include <cstdio>

namespace host {

inline long long fileTell(std::FILE* file)
{
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<long long>(ftello(file));
#endif
}

inline bool fileSeek(std::FILE* file, long long offset, int whence)
{
#ifdef _WIN32
    return _fseeki64(file, offset, whence) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), whence) == 0;
#endif
}

} // namespace host
