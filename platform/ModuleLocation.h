#pragma once
// Where the plug-in file lives, and its local IR library beside it.
#include "platform/FileOperations.h"

namespace platform {

struct ModuleLocation {
    char modulePath[platform::kPathBufferSize] = {};
    char moduleFolder[platform::kPathBufferSize] = {};
    char dataFolder[platform::kPathBufferSize] = {};

    // Splits a module file name into folder and data folder ("<folder>/data").
    // A name without a separator is its own folder. Too-long results stay empty.
    static ModuleLocation fromModulePath(const char* path);
};

} // namespace platform
