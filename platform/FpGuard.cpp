#include "platform/FpGuard.h"
#include "platform/Exceptions.h"

#include <cfenv>

void FpClear()
{
    std::feclearexcept(FE_ALL_EXCEPT);
}

void FpRaisePending()
{
    const int flags = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (flags == 0)
        return;
    std::feclearexcept(FE_ALL_EXCEPT);
    // One fault per computation; the order follows the severity the run-time library gave them.
    if (flags & FE_INVALID)
        throw EInvalidOp("Invalid floating point operation");
    if (flags & FE_DIVBYZERO)
        throw EZeroDivide("Floating point division by zero");
    throw EOverflow("Floating point overflow");
}

long double FpStore(long double value)
{
    volatile long double kept = value;
    FpRaisePending();
    return kept;
}

double FpResult(long double value)
{
    volatile double rounded = static_cast<double>(value);
    FpRaisePending();
    return rounded;
}
