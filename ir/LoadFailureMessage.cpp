#include "ir/LoadFailureMessage.h"

#include "platform/Dialogs.h"
#include "platform/TextEncoding.h"

#include <cstdio>
#include <string>

namespace ir {

namespace {

// "Reading failed [path]" in Shift-JIS, as the message is stored.
const char kLoadFailedSjis[] = "\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x8E\xB8\x94\x73[%s]\n";

} // namespace

std::string loadFailureText(const char* path, const char* reason)
{
    // Converted before the path goes in, so that a UTF-8 path stays intact.
    const std::string format = platform::shiftJisToUtf8(kLoadFailedSjis);
    char text[1024];
    std::snprintf(text, sizeof text, format.c_str(), path != nullptr ? path : "");
    std::string message = text;
    if (reason != nullptr && reason[0] != '\0')
        message += reason;
    return message;
}

void showLoadFailureText(const std::string& text)
{
    platform::dialogs().messageBox("messae", text);
}

void showLoadFailure(const char* path, const char* reason)
{
    showLoadFailureText(loadFailureText(path, reason));
}

} // namespace ir
