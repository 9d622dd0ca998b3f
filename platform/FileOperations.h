#pragma once
// Paths and the few file operations the IR library needs beyond reading.
// Paths are UTF-8 byte strings everywhere inside the plug-in.
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// The separator between folder names in a path.
#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif
// Path buffers hold at most kPathBufferSize - 1 bytes and a terminator.
constexpr int kPathBufferSize = 260;

// What tells one file's content from another's without reading it: which
// file it is (device and inode, or volume and file index), its size and when
// it last changed. Two opens with equal identities read the same bytes.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // in the system's own units

    bool operator==(const FileIdentity& o) const
    {
        return volume == o.volume && file == o.file && size == o.size && modified == o.modified;
    }
};

// Opens a regular file for buffered binary reading and gives its size; null
// when it cannot be opened or is no regular file (a FIFO or device named like
// an IR would block or never end). The caller closes it with std::fclose.
std::FILE* openRegularFile(const std::string& path, std::uint64_t& size);
// The same, giving the file's identity (with its size).
std::FILE* openRegularFile(const std::string& path, FileIdentity& identity);
// Creates (or overwrites) a file for buffered binary writing; null on failure.
std::FILE* createFile(const std::string& path);
// Moves the read position of an open file n bytes forward; false on failure.
bool seekForward(std::FILE* file, std::uint64_t n);

// Byte copy that overwrites the destination; false on any failure.
bool copyFile(const std::string& from, const std::string& to);
// True when the path names a folder (a link to one included).
bool isFolder(const std::string& path);
// True when this process may create files in the folder: false for one that
// does not exist, is read-only to this user, or lies on a read-only volume.
bool canCreateFilesIn(const std::string& folder);
// Makes the folder and any missing folders above it; true when it is a folder afterwards.
bool makeFolders(const std::string& path);

// The file a shortcut stands for (a symbolic link, or a shell link file on
// systems that have them); false when the path is no shortcut or does not resolve.
bool resolveShortcut(const std::string& path, std::string& target);

} // namespace platform
