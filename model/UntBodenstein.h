#pragma once
// The formulas both programs compute with: N/N0 of the axial dispersion model,
// the Newton step towards the Bo of a wanted N/N0, the tanks-in-series model,
// the conversions between Bo and n and between S and N/N0, and the kind lists.
// Intermediates are 80-bit extended; invalid operation, division by zero and
// overflow raise EInvalidOp, EZeroDivide and EOverflow inside the function.
#include <cstdint>

class TStrings;

// Kind names; the index is the kind argument of the conversions.
extern const char *const SKindNames[2];  // "Sreal", "N/N0"
extern const char *const BoKindNames[2]; // "Bo", "n"

double NN0Dispersion(double Da, double Bo);
long double Square(double x);
void NewtonStepBo(double &Bo, double Da, double Target);
double NN0ToKind(std::uint8_t Kind, double Value);
double KindToBo(std::uint8_t Kind, double Value);
double NN0Tanks(double n, double Da);
double STanks(double n, double Da);

// Used by the calculator only.
void FillSKindList(TStrings &Strings);
void FillBoKindList(TStrings &Strings);
double SToKind(std::uint8_t Kind, double Value);
double KindToN(std::uint8_t Kind, double Value);

// Solving for Bo. N/N0 falls strictly with Bo for a fixed Da > 0, from
// 1/(1 + Da) (ideal mixing, Bo -> 0) to exp(-Da) (plug flow, Bo -> infinity),
// so a root exists exactly when ln(1 + Da) < S < Da.
enum class TBoRootKind {
    Root,       // Bo holds the root
    BelowRange, // S <= ln(1 + Da): even ideal mixing kills that much
    AboveRange, // S >= Da: not even plug flow kills that much
    Invalid,    // Da <= 0, N/N0 <= 0 or a value that is not a number
};

struct TBoSolution {
    TBoRootKind Kind;
    double Bo;
};

// The Bo with NN0Dispersion(Da, Bo) = Target. The Newton iteration from StartBo
// (at most MaxSteps steps, ending early once Bo exceeds StopAbove) decides the
// result wherever it converges to the root; elsewhere the root is bracketed and
// found to full double precision. Raises nothing.
TBoSolution SolveBoForNN0(double Da, double Target, int MaxSteps = 50, double StopAbove = 0, double StartBo = 50);
// The same for a wanted S; the iteration then aims at the Target exp(-S).
TBoSolution SolveBoForS(double Da, double S, int MaxSteps = 50, double StopAbove = 0, double StartBo = 50);

// S = -ln N/N0 of the axial dispersion model, accurate for every Bo >= 0
// (written without cancellation; the solver brackets its roots with it).
long double SDispersionAccurate(long double Da, long double Bo);
