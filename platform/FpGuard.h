#pragma once
// Floating-point faults as exceptions: invalid operation, division by zero and
// overflow raise EInvalidOp, EZeroDivide and EOverflow; underflow, denormals and
// inexact results pass quietly. A fault is raised inside the function that
// caused it, and its class is that of the first operation that failed.
//
// A computation is written once as a template over an operation set and run
// through FpGuarded: the plain pass runs at full speed and looks at the flags
// once at the end; only when a fault is flagged does a second, checked pass
// repeat the same operations from clear flags, each followed by a look at the
// flags, so the first failing operation raises. Both passes perform the same
// extended-precision operations in the same order, so a result never depends
// on the pass. Operands of one C++ expression are unsequenced: a computation
// gives every operation whose operands both hold operations a statement of
// its own, so the checked pass meets them in the written order.
//
// The checks live out of line on purpose: a call with the value as argument
// forces the value to be computed before the status flags are read.
#include <cmath>

// Clears the sticky status flags before a computation.
void FpClear();

// Raises the pending fault, if any, and clears the flags. Where one operation
// flagged several faults, invalid operation goes before division by zero,
// which goes before overflow.
void FpRaisePending();

// A result rounded to double (the rounding itself may overflow); raises a pending fault.
double FpResult(long double value);

// Whether invalid operation, division by zero or overflow is flagged, once
// value has been computed.
bool FpFaultAfter(double value);
bool FpFaultAfter(long double value);

// The operations of the plain pass.
struct TFpPlain {
    static long double Add(long double a, long double b) { return a + b; }
    static long double Sub(long double a, long double b) { return a - b; }
    static long double Mul(long double a, long double b) { return a * b; }
    static long double Div(long double a, long double b) { return a / b; }
    static long double Sqrt(long double a) { return sqrtl(a); }
    static long double Exp(long double a) { return expl(a); }
    static long double Log(long double a) { return logl(a); }
    static long double Pow(long double a, long double b) { return powl(a, b); }
    // Rounding to double.
    static double Round(long double a) { return static_cast<double>(a); }
};

// The same operations, each raising the fault it flags.
struct TFpChecked {
    static long double Add(long double a, long double b);
    static long double Sub(long double a, long double b);
    static long double Mul(long double a, long double b);
    static long double Div(long double a, long double b);
    static long double Sqrt(long double a);
    static long double Exp(long double a);
    static long double Log(long double a);
    static long double Pow(long double a, long double b);
    static double Round(long double a);
};

// Runs compute(TFpPlain()) and returns its result. When a fault is flagged
// afterwards, compute(TFpChecked()) runs from clear flags and raises the
// first one; a flag that it does not raise again was left by earlier work.
template <class Compute>
auto FpGuarded(Compute compute)
{
    const auto result = compute(TFpPlain());
    if (FpFaultAfter(result)) {
        FpClear();
        compute(TFpChecked());
    }
    return result;
}
