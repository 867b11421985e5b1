#include "platform/Exceptions.h"
#include "platform/FpGuard.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <limits>

namespace {

// The operands come from memory at run time, so no fault is folded away by the compiler.
volatile long double Zero = 0, MinusOne = -1, Big = 20000;

// Two faults in the given order; counts the passes it is run in.
struct TTwoFaults {
    long double First, Second;
    int *Passes;
    template <class Fp>
    double operator()(Fp) const
    {
        ++*Passes;
        const long double a = First == 0 ? Fp::Div(1, Zero) : Fp::Sqrt(MinusOne);
        const long double b = Second == 0 ? Fp::Div(1, Zero) : Fp::Sqrt(MinusOne);
        return Fp::Round(Fp::Add(a, b));
    }
};

} // namespace

TEST(FpGuard, TheFirstFaultOfAComputationDecidesItsClass)
{
    int passes = 0;
    // Division by zero, then an invalid square root: the division raises.
    EXPECT_THROW(FpGuarded(TTwoFaults{0, -1, &passes}), EZeroDivide);
    EXPECT_EQ(passes, 2) << "the plain pass, then the checked one";
    EXPECT_THROW(FpGuarded(TTwoFaults{-1, 0, &passes}), EInvalidOp);
    // An exponent beyond the extended range, then infinity minus infinity.
    EXPECT_THROW(FpGuarded([](auto fp) {
                     using Fp = decltype(fp);
                     const long double big = Fp::Exp(Big);
                     return Fp::Round(Fp::Sub(big, big));
                 }),
                 EOverflow);
    // A result that fits the extended range but not a Double overflows in its rounding.
    volatile long double exponent = 800; // not folded by the compiler
    EXPECT_THROW(FpGuarded([&](auto fp) { return decltype(fp)::Round(decltype(fp)::Exp(exponent)); }), EOverflow);
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0) << "a fault leaves the flags clear";
}

TEST(FpGuard, QuietWorkRunsOnceAndEarlierFaultsDoNotCount)
{
    int passes = 0;
    // Underflow and inexact results are no faults.
    auto tiny = [&](auto fp) {
        using Fp = decltype(fp);
        ++passes;
        return Fp::Round(Fp::Mul(Fp::Exp(-Big), Fp::Div(1, 3 + Zero)));
    };
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(FpGuarded(tiny), 0.0);
    EXPECT_EQ(passes, 1);
    // Faults flagged by earlier work: the checked pass finds none of its own.
    std::feraiseexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
    EXPECT_EQ(FpGuarded(tiny), 0.0);
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0);
    const long double third = FpGuarded([](auto fp) { return decltype(fp)::Div(1, 3 + Zero); });
    EXPECT_EQ(third, 1.0L / 3);
}
