#include "platform/PathLimit.h"

#include "platform/Dialogs.h"

namespace platform {

bool pathFits(const std::string& path, std::size_t maxBytes, const char* caption, const char* subject,
              const char* purpose)
{
    if (path.size() <= maxBytes)
        return true;
    const std::string text = std::string(subject) + " is too long" + purpose + " (" + std::to_string(path.size())
                             + " bytes; at most " + std::to_string(maxBytes) + "):\n" + path;
    dialogs().messageBox(caption, text);
    return false;
}

} // namespace platform
