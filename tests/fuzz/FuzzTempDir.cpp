#include "FuzzTempDir.h"

#include "FuzzChecks.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzz {

namespace {

void removeContents(const std::string& dir)
{
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(listing);
    for (const std::string& name : names) {
        const std::string path = dir + "/" + name;
        if (::unlink(path.c_str()) != 0)
            ::rmdir(path.c_str()); // the targets make only empty folders
    }
}

void removeAtExit()
{
    removeContents(tempDir());
    ::rmdir(tempDir().c_str());
}

std::string makeDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/rvb-fuzz-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    require(::mkdtemp(buffer.data()) != nullptr, "cannot create the temporary folder");
    std::atexit(removeAtExit);
    return buffer.data();
}

} // namespace

const std::string& tempDir()
{
    // Never destroyed: the exit handler that removes the folder still needs it.
    static const std::string* dir = new std::string(makeDir());
    return *dir;
}

std::string tempPath(const std::string& name)
{
    return tempDir() + "/" + name;
}

void clearTempDir()
{
    removeContents(tempDir());
}

bool writeWholeFile(const std::string& path, const unsigned char* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

} // namespace fuzz
