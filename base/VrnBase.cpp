#include "base/VrnBase.h"

#include "platform/Streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string FormatAppendix(const std::string &ErrorMsg, std::uint32_t Code)
{
    // The pattern is a fixed constant; the caller's text never goes through it.
    std::string out(ErrorMsg.size() + 64, '\0');
    for (;;) {
        const int n = std::snprintf(out.data(), out.size(), SWin32ErrorFmt, ErrorMsg.c_str(), static_cast<unsigned>(Code));
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < out.size()) {
            out.resize(static_cast<size_t>(n));
            return out;
        }
        out.resize(static_cast<size_t>(n) + 1);
    }
}

} // namespace

// errno is read while the arguments are evaluated, before any base class or
// member constructor can run a system call that changes it.
EVrnWin32Error::EVrnWin32Error(const std::string &Msg)
    : EVrnWin32Error(static_cast<std::uint32_t>(errno), Msg)
{
}

EVrnWin32Error::EVrnWin32Error(std::uint32_t Code, const std::string &Msg)
    : EVrnError(std::string()), LastError(Code), LastErrorMsg(SysErrorText(static_cast<int>(Code)))
{
    Message = Msg + '\r' + FormatAppendix(LastErrorMsg, LastError);
}
