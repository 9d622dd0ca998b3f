#pragma once
// Which folder is the plug-in's local IR library, the one "Copy to Local"
// copies into: the data folder beside the module, unless the user cannot
// write there (a system-wide install under /usr/lib or C:\Program Files);
// then the user's own folder (platform/UserDataFolder.h), while the IRs
// installed beside the module stay where they are, readable as any other file.
#include <functional>
#include <string>

namespace platform {

// What the choice asks of the system; tests answer for it.
struct LibraryFolderFacts {
    std::function<bool(const std::string&)> isFolder;
    std::function<bool(const std::string&)> canCreateFilesIn;
    std::string perUserDataFolder;

    // The answers of the system this runs on.
    static LibraryFolderFacts ofThisSystem();
};

// The local library for a module in `moduleFolder` whose own data folder is
// `besideModule`. That folder when it exists and can be written; when it does
// not exist, when the module's folder can be written (the copy goes there as
// it always did); otherwise the per-user folder, unless there is none. An
// empty `besideModule` (the module's path did not fit) stays empty.
std::string chooseLocalLibrary(const std::string& moduleFolder, const std::string& besideModule,
                               const LibraryFolderFacts& facts);

} // namespace platform
