#include "platform/PathLimit.h"

#include "platform/Dialogs.h"

namespace platform {

std::string pathTooLong(const std::string& path, std::size_t maxBytes, const char* subject, const char* purpose)
{
    if (path.size() <= maxBytes)
        return std::string();
    return std::string(subject) + " is too long" + purpose + " (" + std::to_string(path.size()) + " bytes; at most "
           + std::to_string(maxBytes) + "):\n" + path;
}

bool pathFits(const std::string& path, std::size_t maxBytes, const char* caption, const char* subject,
              const char* purpose)
{
    const std::string text = pathTooLong(path, maxBytes, subject, purpose);
    if (text.empty())
        return true;
    dialogs().messageBox(caption, text);
    return false;
}

} // namespace platform
