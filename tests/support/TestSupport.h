#pragma once
// Helpers shared by the test programs.
#include <string>

namespace testsupport {

// A fresh empty folder under the system's temporary folder, removed by the caller if wanted.
std::string makeTempDir(const std::string& tag);
// Removes a folder made by makeTempDir with all it holds; a missing one is fine.
void removeTempDir(const std::string& dir);

// A fresh empty folder, removed with all it holds when this goes.
class TempDir {
public:
    explicit TempDir(const std::string& tag) : path_(makeTempDir(tag)) {}
    ~TempDir() { removeTempDir(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A path written with '/' as the system writes it (with backslashes on Windows).
std::string nativePath(std::string path);
// folder, the system's separator, name.
std::string joinPath(const std::string& folder, const std::string& name);

// Whole-file helpers for small test fixtures.
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

} // namespace testsupport
