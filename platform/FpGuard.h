#pragma once
// Floating-point faults as exceptions: invalid operation, division by zero and
// overflow raise EInvalidOp, EZeroDivide and EOverflow; underflow, denormals and
// inexact results pass quietly. A computation calls FpClear() before it starts
// and hands every value it stores to FpStore()/FpResult(), which raise the
// fault right there, inside the function that caused it.
//
// The checks live out of line on purpose: a call with the value as argument
// forces the value to be computed before the status flags are read.

// Clears the sticky status flags before a computation.
void FpClear();

// Raises the pending fault, if any, and clears the flags.
void FpRaisePending();

// An extended intermediate kept as it is; raises a pending fault.
long double FpStore(long double value);

// A result rounded to double (the rounding itself may overflow); raises a pending fault.
double FpResult(long double value);
