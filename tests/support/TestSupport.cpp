#include "support/TestSupport.h"

#include "platform/FileOperations.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace testsupport {

std::string makeTempDir(const std::string& tag)
{
    // The system's temporary folder (TMPDIR where it is set), a name not taken yet.
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path dir = base / ("rvb-" + tag + "-" + std::to_string(random() % 100000000u));
        std::error_code error;
        if (std::filesystem::create_directory(dir, error))
            return dir.string();
    }
    throw std::runtime_error("no temporary folder could be made");
}

void removeTempDir(const std::string& dir)
{
    std::error_code error;
    std::filesystem::remove_all(dir, error);
}

std::string nativePath(std::string path)
{
    for (char& c : path)
        c = c == '/' ? platform::kPathSeparator : c;
    return path;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    return folder + platform::kPathSeparator + name;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace testsupport
