#include "exception.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

std::string FormatText(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1);
    std::vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    return text.data();
}

std::string SystemErrorText(int error)
{
    char buffer[256];
    return strerror_r(error, buffer, sizeof buffer);   // the GNU form returns the text
}
