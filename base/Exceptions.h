#pragma once
#include <stdexcept>
#include <string>

namespace base {

// A failure with the text the user sees (UTF-8).
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A silent cancel: nothing is shown for it.
class Abort : public Exception {
public:
    Abort() : Exception("Operation aborted") {}
};

// Signed 16-bit arithmetic that left its range.
class Overflow : public Exception {
public:
    Overflow() : Exception("Integer overflow") {}
};

// The program's own cancel: raised with the text "ESC" after its message was shown, or when the user
// pressed Esc during a long job.
inline constexpr const char* CancelText = "ESC";
[[noreturn]] void RaiseCancel();

// True for the exceptions that end an operation without a message (Abort and "ESC").
bool IsSilent(const std::exception& e);

} // namespace base
