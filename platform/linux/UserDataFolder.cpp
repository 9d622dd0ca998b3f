#include "platform/UserDataFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// The home folder: $HOME, or the password database's entry when it is unset
// (a host started by a service manager).
std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir
        && found->pw_dir[0] == '/')
        return found->pw_dir;
    return std::string();
}

// Without trailing separators, so that paths built on it compare byte for byte.
std::string withoutTrailingSeparators(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

std::string perUserDataFolder()
{
    // XDG_DATA_HOME counts only when absolute, as the base directory rules say.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (dataHome && dataHome[0] == '/') {
        base = dataHome;
    } else {
        const std::string home = homeFolder();
        if (home.empty())
            return std::string();
        base = withoutTrailingSeparators(home) + "/.local/share";
    }
    base = withoutTrailingSeparators(base);
    return (base == "/" ? std::string() : base) + "/KestrelReverb/data";
}

} // namespace platform
