#pragma once
// Path rules of the IR library: where a path's folder ends, whether a file lies
// in the plug-in's own data folder, which names are IR files, and following a
// dropped link to its file.
#include <string>

namespace ir {

// folder = the path up to its last separator (not included), or the whole
// path when it has none; name = what follows the last separator, or the whole
// path. An empty path leaves both untouched; either may be null.
void splitPath(const char* path, std::string* folder, std::string* name);

// True for an empty path, or when the path's folder is the data folder byte
// for byte: letter case matters, and neither separators nor a trailing
// separator are normalised.
bool isInLocalFolder(const char* path, const char* dataFolder);

// True when the name ends, ignoring case, in ".wav", ".aif", ".aiff", ".L" or ".R".
bool hasIRFileEnding(const std::string& name);

// A dropped symbolic link stands for the file it points to: true with its
// target's absolute path in `target`, false (target untouched) for anything
// else, including a link that leads nowhere.
bool resolveShortcut(const std::string& path, std::string& target);

} // namespace ir
