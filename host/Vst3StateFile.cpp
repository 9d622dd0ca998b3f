#include "host/Vst3StateFile.h"

#include "host/InputChecks.h"
#include "host/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vst3state {

namespace {

const char kHeader[] = "# rvbhost VST 3 state v1\n";

std::string section(const char* name, const std::vector<char>& bytes)
{
    return std::string(name) + " " + std::to_string(bytes.size()) + "\n" + std::string(bytes.begin(), bytes.end()) +
           "\n";
}

// "name N\n", N bytes, "\n" from `at`; false when the text is not that.
bool readSection(const std::string& text, size_t& at, const std::string& name, std::vector<char>& bytes)
{
    const std::string lead = name + " ";
    if (text.compare(at, lead.size(), lead) != 0)
        return false;
    const size_t lineEnd = text.find('\n', at);
    if (lineEnd == std::string::npos)
        return false;
    const std::string count = text.substr(at + lead.size(), lineEnd - at - lead.size());
    char* end = nullptr;
    errno = 0;
    const unsigned long long size = std::strtoull(count.c_str(), &end, 10);
    if (count.empty() || !end || *end || errno != 0 || size > text.size() - lineEnd - 1)
        return false;
    const size_t start = lineEnd + 1;
    if (start + size >= text.size() || text[start + size] != '\n')
        return false;
    bytes.assign(text.begin() + static_cast<std::ptrdiff_t>(start),
                 text.begin() + static_cast<std::ptrdiff_t>(start + size));
    at = start + size + 1;
    return true;
}

} // namespace

bool save(const std::string& path, const std::vector<char>& component, const std::vector<char>& controller,
          std::string& error)
{
    const std::string text = kHeader + section("component", component) + section("controller", controller);
    return writeWholeFile(path, text, error);
}

bool load(const std::string& path, std::vector<char>& component, std::vector<char>& controller, std::string& error)
{
    std::string text;
    if (!readWholeFile(path, "state", text, error))
        return false;
    const size_t headerLength = std::strlen(kHeader);
    if (text.compare(0, headerLength, kHeader) != 0) {
        error = path + " is not a VST 3 state of rvbhost (its first line is not \"" +
                std::string(kHeader, headerLength - 1) + "\")";
        return false;
    }
    size_t at = headerLength;
    if (!readSection(text, at, "component", component) || !readSection(text, at, "controller", controller)) {
        error = path + " is damaged or cut short";
        return false;
    }
    return true;
}

} // namespace vst3state
