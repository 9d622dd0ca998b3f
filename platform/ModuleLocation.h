#pragma once
// Where the plug-in file lives, the IR library installed beside it, and the
// local IR library the user copies into.
#include "platform/FileOperations.h"

namespace platform {

struct LibraryFolderFacts;

struct ModuleLocation {
    char modulePath[platform::kPathBufferSize] = {};
    char moduleFolder[platform::kPathBufferSize] = {};
    // The local IR library: "Copy to Local" copies here, the file dialog
    // starts here, and the editor marks IRs elsewhere as from an outer folder.
    char dataFolder[platform::kPathBufferSize] = {};
    // "<folder>/data", with the IRs installed with the module; the same as
    // dataFolder unless the user cannot write there (platform/LocalLibrary.h).
    char bundledDataFolder[platform::kPathBufferSize] = {};

    // Splits a module file name into folder and data folder ("<folder>/data"),
    // which is also the local library. A name without a separator is its own
    // folder. Too-long results stay empty.
    static ModuleLocation fromModulePath(const char* path);
    // The same, with the local library chosen from what `facts` say of the folders.
    static ModuleLocation fromModulePath(const char* path, const LibraryFolderFacts& facts);
    // The same, asking this system: for the module loaded from `path`.
    static ModuleLocation ofLoadedModule(const char* path);

    // True when the local library is the user's own folder, not the one beside the module.
    bool libraryIsPerUser() const;
};

} // namespace platform
