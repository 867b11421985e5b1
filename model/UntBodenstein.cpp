#include "model/UntBodenstein.h"
#include "platform/FpGuard.h"
#include "platform/StringList.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

const char *const SKindNames[2] = {"Sreal", "N/N0"};
const char *const BoKindNames[2] = {"Bo", "n"};

namespace {

// The computations, written once for both passes of FpGuarded (see there):
// one operation of Fp per arithmetic step, in the order of the formulas, each
// operation whose operands both hold operations in a statement of its own.

template <class Fp>
long double SquareOf(double x)
{
    return Fp::Mul(x, x);
}

template <class Fp>
double NN0DispersionOf(double Da, double Bo)
{
    const long double bo = Bo;
    // a := sqrt(Da*4/Bo + 1), rounded to Double.
    const long double a = Fp::Round(Fp::Sqrt(Fp::Add(Fp::Div(Fp::Mul(Da, 4), bo), 1)));
    // P := (1 + a)^2, Q := (1 - a)^2.
    const long double onePlusA = Fp::Add(1, a);
    const long double P = Fp::Mul(onePlusA, onePlusA);
    const long double oneMinusA = Fp::Sub(1, a);
    const long double Q = Fp::Mul(oneMinusA, oneMinusA);
    // E1 := exp((1 - a)*(-Bo)/2), E2 := exp((1 + a)*(-Bo)/2).
    const long double E1 = Fp::Exp(Fp::Div(Fp::Mul(oneMinusA, -bo), 2));
    const long double E2 = Fp::Exp(Fp::Div(Fp::Mul(onePlusA, -bo), 2));
    // D := P*E1 - Q*E2; the result 4a/D.
    const long double PE1 = Fp::Mul(P, E1);
    const long double D = Fp::Sub(PE1, Fp::Mul(Q, E2));
    return Fp::Round(Fp::Div(Fp::Mul(4, a), D));
}

template <class Fp>
double NewtonStepOf(double Bo, double Da, double Target)
{
    const long double bo = Bo;
    // A := 4*Da/Bo; A' := -4*Da/Square(Bo).
    const long double A = Fp::Div(Fp::Mul(4, Da), bo);
    const long double minus4Da = Fp::Mul(-4, Da);
    const long double dA = Fp::Div(minus4Da, SquareOf<Fp>(Bo));
    // a := sqrt(A + 1); a' := A'/a/2.
    const long double a = Fp::Sqrt(Fp::Add(A, 1));
    const long double da = Fp::Div(Fp::Div(dA, a), 2);
    // E1 := exp(-(1 - a)*Bo/2); E1' := E1*(Bo*a'/2 - (1 - a)/2).
    const long double oneMinusA = Fp::Sub(1, a);
    const long double E1 = Fp::Exp(Fp::Div(Fp::Mul(-oneMinusA, bo), 2));
    const long double boDa = Fp::Div(Fp::Mul(bo, da), 2);
    const long double dE1 = Fp::Mul(E1, Fp::Sub(boDa, Fp::Div(oneMinusA, 2)));
    // E2 := exp(-(1 + a)*Bo/2); E2' := E2*(-Bo*a'/2 - (1 + a)/2).
    const long double onePlusA = Fp::Add(1, a);
    const long double E2 = Fp::Exp(Fp::Div(Fp::Mul(-onePlusA, bo), 2));
    const long double minusBoDa = Fp::Div(Fp::Mul(-bo, da), 2);
    const long double dE2 = Fp::Mul(E2, Fp::Sub(minusBoDa, Fp::Div(onePlusA, 2)));
    // Q1 := Square(1 + a); Q1' := 2a'(1 + a); Q2 := Square(1 - a); Q2' := -2a'(1 - a),
    // with 1 + a and 1 - a rounded to Double for Square.
    const long double Q1 = SquareOf<Fp>(Fp::Round(onePlusA));
    const long double dQ1 = Fp::Mul(Fp::Mul(2, da), onePlusA);
    const long double Q2 = SquareOf<Fp>(Fp::Round(oneMinusA));
    const long double dQ2 = Fp::Mul(Fp::Mul(-2, da), oneMinusA);
    // D := Q1*E1 - Q2*E2; D' := Q1'*E1 + Q1*E1' - Q2'*E2 - Q2*E2'.
    const long double Q1E1 = Fp::Mul(Q1, E1);
    const long double D = Fp::Sub(Q1E1, Fp::Mul(Q2, E2));
    const long double dQ1E1 = Fp::Mul(dQ1, E1);
    const long double dD1 = Fp::Add(dQ1E1, Fp::Mul(Q1, dE1));
    const long double dD2 = Fp::Sub(dD1, Fp::Mul(dQ2, E2));
    const long double dD = Fp::Sub(dD2, Fp::Mul(Q2, dE2));
    // Bo - Square(D)*(4a/D - Target)/(4a'D - 4aD'), D rounded to Double for Square.
    const long double squareD = SquareOf<Fp>(Fp::Round(D));
    const long double numerator = Fp::Mul(squareD, Fp::Sub(Fp::Div(Fp::Mul(4, a), D), Target));
    const long double slope1 = Fp::Mul(Fp::Mul(4, da), D);
    const long double slope = Fp::Sub(slope1, Fp::Mul(Fp::Mul(4, a), dD));
    return Fp::Round(Fp::Sub(bo, Fp::Div(numerator, slope)));
}

} // namespace

double NN0Dispersion(double Da, double Bo)
{
    return FpGuarded([&]<class Fp>(Fp) { return NN0DispersionOf<Fp>(Da, Bo); });
}

long double Square(double x)
{
    return static_cast<long double>(x) * x;
}

void NewtonStepBo(double &Bo, double Da, double Target)
{
    Bo = FpGuarded([&]<class Fp>(Fp) { return NewtonStepOf<Fp>(Bo, Da, Target); });
}

double NN0ToKind(std::uint8_t Kind, double Value)
{
    if (Kind == 1)
        return Value;
    return FpGuarded([&]<class Fp>(Fp) { return Fp::Round(-Fp::Log(Value)); });
}

double KindToBo(std::uint8_t Kind, double Value)
{
    if (Kind == 0)
        return Value;
    // X*X, plus X, minus 2, square root, then X - 1 added.
    return FpGuarded([&]<class Fp>(Fp) {
        const long double x = Value;
        const long double root = Fp::Sqrt(Fp::Sub(Fp::Add(Fp::Mul(x, x), x), 2));
        return Fp::Round(Fp::Add(Fp::Sub(x, 1), root));
    });
}

double NN0Tanks(double n, double Da)
{
    return FpGuarded([&]<class Fp>(Fp) {
        const long double base = Fp::Add(1, Fp::Div(Da, n));
        return Fp::Round(Fp::Pow(base, -static_cast<long double>(n)));
    });
}

double STanks(double n, double Da)
{
    return NN0ToKind(0, NN0Tanks(n, Da));
}

namespace {

void FillKindList(TStrings &Strings, const char *const (&names)[2])
{
    Strings.Clear();
    for (int i = 0; i < 2; ++i)
        Strings.AddObject(names[i], i);
}

} // namespace

void FillSKindList(TStrings &Strings)
{
    FillKindList(Strings, SKindNames);
}

void FillBoKindList(TStrings &Strings)
{
    FillKindList(Strings, BoKindNames);
}

double SToKind(std::uint8_t Kind, double Value)
{
    if (Kind == 0)
        return Value;
    return FpGuarded([&]<class Fp>(Fp) { return Fp::Round(Fp::Exp(-static_cast<long double>(Value))); });
}

double KindToN(std::uint8_t Kind, double Value)
{
    if (Kind == 1)
        return Value;
    return FpGuarded([&]<class Fp>(Fp) {
        const long double x = Value;
        const long double square = Fp::Mul(x, x);
        const long double denominator = Fp::Add(Fp::Mul(2, x), 3);
        return Fp::Round(Fp::Add(Fp::Div(square, denominator), 1));
    });
}

long double SDispersionAccurate(long double Da, long double Bo)
{
    if (Bo <= 0)
        return log1pl(Da);
    if (std::isinf(Bo))
        return Da;
    // With x = 4 Da/Bo and a = sqrt(1 + x):
    // S = 2 ln(1 + a) - ln(4a) + (a - 1) Bo/2 + ln(1 - r^2 e^(-a Bo)), r = (a - 1)/(a + 1),
    // where a - 1 is taken as x/(a + 1) and the last term through expm1, so
    // neither a huge nor a tiny Bo cancels digits away.
    const long double x = 4 * Da / Bo;
    const long double a = sqrtl(1 + x);
    const long double am1 = x / (a + 1);
    const long double lnR = a > 3 ? log1pl(-2 / (a + 1)) : logl(am1 / (a + 1));
    return 2 * logl(1 + a) - logl(4 * a) + am1 * Bo / 2 + logl(-expm1l(2 * lnR - a * Bo));
}

namespace {

// The written iteration; false when it faults or leaves the positive numbers.
bool NewtonIterationBo(double Da, double Target, int MaxSteps, double StopAbove, double StartBo, double &Bo,
                       bool &FixedPoint)
{
    Bo = StartBo;
    FixedPoint = false;
    double previous = std::numeric_limits<double>::quiet_NaN();
    try {
        for (int i = 0; i < MaxSteps; ++i) {
            const double before = Bo;
            NewtonStepBo(Bo, Da, Target);
            if (StopAbove > 0 && Bo > StopAbove)
                break;
            // A step depends on Bo, Da and Target alone: once it returns the
            // Bo it was given, every further step does too; once it returns
            // the Bo of two steps before, the iterates alternate, and the
            // parity of the steps left decides where the iteration ends.
            if (Bo == before) {
                FixedPoint = true;
                break;
            }
            if (Bo == previous) {
                if ((MaxSteps - 1 - i) % 2 != 0)
                    Bo = before;
                break;
            }
            previous = before;
        }
    } catch (...) {
        return false;
    }
    return std::isfinite(Bo) && Bo > 0;
}

// Bisection over the ordered bit patterns of the positive doubles between
// lo and hi, where S(lo) < S <= S(hi): it ends at two neighbouring doubles
// around the root, and the nearer one is the result.
double BisectBits(long double Da, long double S, std::uint64_t lo, std::uint64_t hi, long double sLo, long double sHi)
{
    while (hi - lo > 1) {
        const std::uint64_t mid = lo + (hi - lo) / 2;
        const long double sMid = SDispersionAccurate(Da, std::bit_cast<double>(mid));
        if (sMid < S) {
            lo = mid;
            sLo = sMid;
        } else {
            hi = mid;
            sHi = sMid;
        }
    }
    if (lo == 0)
        return std::bit_cast<double>(hi);
    if (std::isinf(std::bit_cast<double>(hi)))
        return std::bit_cast<double>(lo);
    return (S - sLo <= sHi - S) ? std::bit_cast<double>(lo) : std::bit_cast<double>(hi);
}

std::uint64_t Bits(double x)
{
    return std::bit_cast<std::uint64_t>(x);
}

// The root of S(Bo) = S, bracketed from Guess outwards and narrowed by the
// Illinois variant of regula falsi in ln Bo, where S is nearly linear; the
// last few bits come from bisection.
double BracketBo(long double Da, long double S, double Guess)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double g = (Guess > 1e-290 && Guess < 1e290) ? Guess : 50.0;
    double lo = g, hi = g;
    long double fLo = SDispersionAccurate(Da, g) - S, fHi = fLo;
    if (fLo < 0) {
        do {
            lo = hi;
            fLo = fHi;
            if (hi > 1e290)
                return BisectBits(Da, S, Bits(lo), Bits(inf), fLo + S, Da);
            hi *= 16;
            fHi = SDispersionAccurate(Da, hi) - S;
        } while (fHi < 0);
    } else {
        do {
            hi = lo;
            fHi = fLo;
            if (lo < 1e-290)
                return BisectBits(Da, S, 0, Bits(hi), log1pl(Da), fHi + S);
            lo /= 16;
            fLo = SDispersionAccurate(Da, lo) - S;
        } while (fLo >= 0);
    }
    long double uLo = logl(lo), uHi = logl(hi);
    int side = 0;
    for (int i = 0; i < 60 && hi - lo > 1e-12 * hi; ++i) {
        long double u = uHi - fHi * (uHi - uLo) / (fHi - fLo);
        double x = static_cast<double>(expl(u));
        if (!(x > lo && x < hi)) {
            x = std::bit_cast<double>(Bits(lo) + (Bits(hi) - Bits(lo)) / 2);
            u = logl(x);
        }
        const long double fx = SDispersionAccurate(Da, x) - S;
        if (fx < 0) {
            lo = x;
            uLo = u;
            fLo = fx;
            if (side == -1)
                fHi /= 2;
            side = -1;
        } else {
            hi = x;
            uHi = u;
            fHi = fx;
            if (side == 1)
                fLo /= 2;
            side = 1;
        }
    }
    return BisectBits(Da, S, Bits(lo), Bits(hi), SDispersionAccurate(Da, lo), SDispersionAccurate(Da, hi));
}

} // namespace

namespace {

TBoSolution SolveBo(double Da, long double S, double Target, int MaxSteps, double StopAbove, double StartBo)
{
    TBoSolution result{TBoRootKind::Invalid, 0.0};
    if (!(Da > 0) || !std::isfinite(Da) || std::isnan(S) || S < 0) {
        // keep Invalid
    } else if (S <= static_cast<double>(log1pl(Da))) { // the boundary as a Double, like S itself
        result.Kind = TBoRootKind::BelowRange;
    } else if (S >= Da) {
        result.Kind = TBoRootKind::AboveRange;
        result.Bo = std::numeric_limits<double>::infinity();
    } else {
        result.Kind = TBoRootKind::Root;
        double bo = 0;
        // The iteration's own answer stands wherever it reached the root. A fixed point of the Newton step is the root: its correction f/f'
        // rounded away, and an overflowing derivative would have raised. Any
        // other end of the iteration must show the root within a relative
        // 1e-9 of it.
        bool fixedPoint = false;
        if (NewtonIterationBo(Da, Target, MaxSteps, StopAbove, StartBo, bo, fixedPoint)
            && (fixedPoint
                || (SDispersionAccurate(Da, bo * (1 - 1e-9L)) <= S && SDispersionAccurate(Da, bo * (1 + 1e-9L)) >= S)))
            result.Bo = bo;
        else
            result.Bo = BracketBo(Da, S, bo > 0 ? bo : 50.0);
    }
    FpClear(); // nothing of the solve's quiet work (or a NaN compared) reaches the caller's checks
    return result;
}

} // namespace

TBoSolution SolveBoForNN0(double Da, double Target, int MaxSteps, double StopAbove, double StartBo)
{
    long double S = std::numeric_limits<long double>::quiet_NaN();
    if (Target == 0)
        S = std::numeric_limits<long double>::infinity();
    else if (Target > 0)
        S = -logl(static_cast<long double>(Target));
    return SolveBo(Da, S, Target, MaxSteps, StopAbove, StartBo);
}

TBoSolution SolveBoForS(double Da, double S, int MaxSteps, double StopAbove, double StartBo)
{
    const double target = static_cast<double>(expl(-static_cast<long double>(S)));
    return SolveBo(Da, S, target, MaxSteps, StopAbove, StartBo);
}
