#pragma once
// Helpers shared by the test programs.
#include <string>

namespace testsupport {

// A fresh empty folder under the system's temporary folder, removed by the caller if wanted.
std::string makeTempDir(const std::string& tag);

// Whole-file helpers for small test fixtures.
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

} // namespace testsupport
