#include "platform/FileDialogRequest.h"

namespace platform {

std::vector<std::string> FileType::extensions() const
{
    std::vector<std::string> list;
    std::size_t start = 0;
    while (start < extension.size()) {
        std::size_t end = extension.find(' ', start);
        if (end == std::string::npos)
            end = extension.size();
        if (end > start)
            list.push_back(extension.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

} // namespace platform
