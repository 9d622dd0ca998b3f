#include "host/FileChecks.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool checkReadableFile(const std::string& path, const std::string& what, std::string& error)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        error = "cannot read " + what + " " + path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = what + " " + path + " is a folder, not a file";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = what + " " + path + " is not a regular file";
        return false;
    }
    if (access(path.c_str(), R_OK) != 0) {
        error = "cannot read " + what + " " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool checkDistinctOutput(const std::string& output, const std::vector<std::string>& inputs, std::string& error)
{
    struct stat out {};
    if (stat(output.c_str(), &out) != 0)
        return true;  // a new file cannot be one of the inputs
    for (const std::string& input : inputs) {
        struct stat in {};
        if (input.empty() || stat(input.c_str(), &in) != 0)
            continue;
        if (in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
            error = "the output " + output + " is the same file as " + input + "; refusing to overwrite it";
            return false;
        }
    }
    return true;
}
