#pragma once
// One private temporary folder per fuzzing process, for the targets that go
// through real files. Created on first use, emptied and removed at exit.
#include <cstddef>
#include <string>

namespace fuzz {

// The folder's path (no trailing slash).
const std::string& tempDir();

// tempDir() + "/" + name.
std::string tempPath(const std::string& name);

// Removes every file the previous input left in the folder.
void clearTempDir();

// Writes bytes to path, replacing it; false when that fails.
bool writeWholeFile(const std::string& path, const unsigned char* data, std::size_t size);

} // namespace fuzz
