#include "ir/ErrorText.h"

#include <cstdarg>
#include <cstdio>

namespace ir {

void setErrorText(char* text, std::size_t capacity, const char* format, ...)
{
    if (text == nullptr || capacity == 0)
        return;
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(text, capacity, format, args);
    va_end(args);
}

} // namespace ir
