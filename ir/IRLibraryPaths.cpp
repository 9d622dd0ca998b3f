#include "ir/IRLibraryPaths.h"

#include "platform/FileOperations.h"

#include <cctype>
#include <cstring>

namespace ir {

namespace {

bool endsWithNoCase(const std::string& text, const char* ending)
{
    const std::size_t n = std::strlen(ending);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char a = static_cast<unsigned char>(text[text.size() - n + i]);
        const unsigned char b = static_cast<unsigned char>(ending[i]);
        if (std::tolower(a) != std::tolower(b))
            return false;
    }
    return true;
}

} // namespace

void splitPath(const char* path, std::string* folder, std::string* name)
{
    if (!path || !*path)
        return;
    const char* last = std::strrchr(path, platform::kPathSeparator);
    if (folder)
        *folder = last ? std::string(path, static_cast<std::size_t>(last - path)) : std::string(path);
    if (name)
        *name = last ? std::string(last + 1) : std::string(path);
}

bool isInLocalFolder(const char* path, const char* dataFolder)
{
    if (!path || !*path)
        return true;
    std::string folder;
    splitPath(path, &folder, nullptr);
    return folder == (dataFolder ? dataFolder : "");
}

bool hasIRFileEnding(const std::string& name)
{
    return endsWithNoCase(name, ".wav") || endsWithNoCase(name, ".aif") || endsWithNoCase(name, ".aiff")
           || endsWithNoCase(name, ".aifc") || endsWithNoCase(name, ".L") || endsWithNoCase(name, ".R");
}

bool resolveShortcut(const std::string& path, std::string& target)
{
    std::string resolved;
    if (!platform::resolveShortcut(path, resolved))
        return false;
    target = resolved;
    return true;
}

} // namespace ir
