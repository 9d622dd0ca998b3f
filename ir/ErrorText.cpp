#include "ir/ErrorText.h"

#include <cstdarg>
#include <cstdio>

namespace ir {

namespace {

void formatInto(char* text, std::size_t capacity, const char* format, std::va_list args)
    __attribute__((format(printf, 3, 0)));

void formatInto(char* text, std::size_t capacity, const char* format, std::va_list args)
{
    if (text == nullptr || capacity == 0)
        return;
    std::vsnprintf(text, capacity, format, args);
}

} // namespace

void setErrorText(char* text, std::size_t capacity, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    formatInto(text, capacity, format, args);
    va_end(args);
}

int readFailed(IRErrorText& errorText, const char* message)
{
    setErrorText(errorText, sizeof errorText, "%s", message);
    return -1;
}

int readRefused(IRErrorText& errorText, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    formatInto(errorText, sizeof errorText, format, args);
    va_end(args);
    return kIRRefused;
}

} // namespace ir
