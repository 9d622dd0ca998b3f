#pragma once
// What a file-open dialog is asked for: its title, the folder it starts in
// and the types of file it offers.
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct FileType {
    FileType() = default;
    FileType(std::string name_, std::string extension_, std::string macType_ = {}, std::string mimeType1_ = {},
             std::string mimeType2_ = {})
        : name(std::move(name_)),
          extension(std::move(extension_)),
          macType(std::move(macType_)),
          mimeType1(std::move(mimeType1_)),
          mimeType2(std::move(mimeType2_))
    {
    }

    std::string name;       // "WAV File"
    std::string extension;  // "wav" (no dot); several may be given separated by blanks: "aif aiff"
    // How hosts with selectors of their own name the type, where they care.
    std::string macType;    // "WAVE"
    std::string mimeType1;  // "audio/wav"
    std::string mimeType2;  // "audio/x-wav"

    // The extensions one by one ("aif", "aiff"); "*" stands for any file.
    std::vector<std::string> extensions() const;
};

struct FileDialogRequest {
    std::string title;
    std::string initialFolder;
    std::vector<FileType> types;
};

} // namespace platform
