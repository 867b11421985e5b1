#include "platform/FpGuard.h"
#include "platform/Exceptions.h"

#include <cfenv>

namespace {

constexpr int Faults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// The flags of the three faults, from both the x87 and the SSE status word.
int PendingFaults()
{
#if defined(__x86_64__)
    // Reading the two status words directly spares the library call.
    unsigned short x87;
    unsigned mxcsr;
    // The memory clobber keeps the look after every value stored before it.
    asm volatile("fnstsw %0\n\tstmxcsr %1" : "=am"(x87), "=m"(mxcsr) : : "memory");
    static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08);
    return static_cast<int>((x87 | mxcsr) & Faults);
#else
    return std::fetestexcept(Faults);
#endif
}

// A checked operation's value, once its flags were looked at.
long double Checked(long double value)
{
    volatile long double kept = value;
    FpRaisePending();
    return kept;
}

} // namespace

void FpClear()
{
#if defined(__x86_64__)
    // The library call saves and reloads the whole x87 environment; clearing
    // the two status words directly is several times cheaper.
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
    const int faults = PendingFaults();
    if (faults == 0)
        return;
    FpClear();
    if (faults & FE_INVALID)
        throw EInvalidOp("Invalid floating point operation");
    if (faults & FE_DIVBYZERO)
        throw EZeroDivide("Floating point division by zero");
    throw EOverflow("Floating point overflow");
}

// The value is only taken as an operand, so that it is computed before the
// flags are read, even where this call were inlined.
bool FpFaultAfter(double value)
{
#if defined(__x86_64__)
    asm volatile("" : : "x"(value));
#else
    volatile double kept = value;
    (void)kept;
#endif
    return PendingFaults() != 0;
}

bool FpFaultAfter(long double value)
{
#if defined(__x86_64__)
    asm volatile("" : : "f"(value));
#else
    volatile long double kept = value;
    (void)kept;
#endif
    return PendingFaults() != 0;
}

double FpResult(long double value)
{
    volatile double rounded = static_cast<double>(value);
    FpRaisePending();
    return rounded;
}

long double TFpChecked::Add(long double a, long double b) { return Checked(a + b); }
long double TFpChecked::Sub(long double a, long double b) { return Checked(a - b); }
long double TFpChecked::Mul(long double a, long double b) { return Checked(a * b); }
long double TFpChecked::Div(long double a, long double b) { return Checked(a / b); }
long double TFpChecked::Sqrt(long double a) { return Checked(sqrtl(a)); }
long double TFpChecked::Exp(long double a) { return Checked(expl(a)); }
long double TFpChecked::Log(long double a) { return Checked(logl(a)); }
long double TFpChecked::Pow(long double a, long double b) { return Checked(powl(a, b)); }
double TFpChecked::Round(long double a) { return FpResult(a); }
