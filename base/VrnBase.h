#pragma once
// Base classes of the system's own exceptions. EVrnWin32Error records the
// last system error (errno) when it is created and appends it to its message,
// so every report carries the state of the last system call.
#include "platform/Exceptions.h"

#include <cstdint>
#include <string>

class EVrnError : public Exception {
public:
    using Exception::Exception;
};

class EVrnWin32Error : public EVrnError {
public:
    // Msg is kept as it is; only the appendix is formatted.
    explicit EVrnWin32Error(const std::string &Msg);

    std::uint32_t LastError;
    std::string LastErrorMsg;

private:
    EVrnWin32Error(std::uint32_t Code, const std::string &Msg);
};

// The appendix's format text: the system's message, then its code.
inline constexpr char SWin32ErrorFmt[] = "Win32: %s (%u)";
