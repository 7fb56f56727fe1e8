#pragma once
// The one kind of failure the program reports: a message that the
// application's default handler shows in an error box.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// printf-style formatting of an exception message.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The system's message text for an error number.
std::string SystemErrorText(int error);
