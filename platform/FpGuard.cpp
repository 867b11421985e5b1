#include "platform/FpGuard.h"
#include "platform/Exceptions.h"

#include <cfenv>

void FpClear()
{
#if defined(__x86_64__)
    // The library call saves and reloads the whole x87 environment; clearing
    // the two status words directly is several times cheaper, and the Newton
    // steps of a profile run clear them tens of thousands of times.
    unsigned mxcsr;
    asm volatile("fnclex\n\tstmxcsr %0" : "=m"(mxcsr));
    mxcsr &= ~0x3Fu;
    asm volatile("ldmxcsr %0" : : "m"(mxcsr));
#else
    std::feclearexcept(FE_ALL_EXCEPT);
#endif
}

void FpRaisePending()
{
    const int flags = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (flags == 0)
        return;
    FpClear();
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
