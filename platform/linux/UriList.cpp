#include "platform/linux/UriList.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool startsWithNoCase(const std::string& text, const char* prefix)
{
    const std::size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool isThisHost(const std::string& host)
{
    if (host.empty() || host == "localhost")
        return true;
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return false;
    return host == name;
}

} // namespace

bool percentDecode(const std::string& text, std::string& decoded)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        const char byte = static_cast<char>(high * 16 + low);
        // A NUL would cut the name short wherever it is used as a C string.
        if (byte == '\0')
            return false;
        out += byte;
        i += 2;
    }
    decoded = out;
    return true;
}

bool fileUriToPath(const std::string& uri, std::string& path)
{
    if (!startsWithNoCase(uri, "file:"))
        return false;
    std::string rest = uri.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        const std::size_t slash = rest.find('/', 2);
        if (slash == std::string::npos)
            return false;
        if (!isThisHost(rest.substr(2, slash - 2)))
            return false;
        rest = rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/')
        return false;
    // A query or fragment is no part of a file name (a literal '?' or '#' arrives escaped).
    const std::size_t end = rest.find_first_of("?#");
    if (end != std::string::npos)
        rest.resize(end);
    return percentDecode(rest, path);
}

DropItems parseUriList(const std::string& data)
{
    DropItems items;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0'))
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::string path;
        if (fileUriToPath(line, path))
            items.push_back({DropItem::Kind::kFile, path});
    }
    return items;
}

} // namespace platform
