#pragma once
// What a file-open dialog is asked for: its title, the folder it starts in
// and the types of file it offers.
#include <string>
#include <vector>

namespace platform {

struct FileType {
    std::string name;       // "WAV File"
    std::string extension;  // "wav" (no dot); several may be given separated by blanks: "aif aiff"

    // The extensions one by one ("aif", "aiff"); "*" stands for any file.
    std::vector<std::string> extensions() const;
};

struct FileDialogRequest {
    std::string title;
    std::string initialFolder;
    std::vector<FileType> types;
};

} // namespace platform
