#include "model/UntBodenstein.h"
#include "platform/Exceptions.h"
#include "platform/StringList.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace {

double WrittenIteration(double Da, double Target, int steps = 50)
{
    double bo = 50.0;
    for (int i = 0; i < steps; ++i)
        NewtonStepBo(bo, Da, Target);
    return bo;
}

} // namespace

TEST(DispersionModel, ExampleValues)
{
    EXPECT_NEAR(NN0Dispersion(43.4, 62.19), 1.4514e-13, 0.00005e-13);
    EXPECT_NEAR(NN0ToKind(0, NN0Dispersion(43.4, 62.19)), 29.561, 0.0005);
    EXPECT_NEAR(NN0Dispersion(1, 1), 0.46766, 0.000005);
    EXPECT_NEAR(NN0ToKind(0, NN0Dispersion(1, 1)), 0.76002, 0.000005);
    EXPECT_NEAR(WrittenIteration(43.4, std::exp(-29.5611)), 62.1903, 0.00005);
    EXPECT_NEAR(WrittenIteration(43.4, std::exp(-29.56)), 62.1806, 0.00005);
    EXPECT_NEAR(STanks(10, 43.4), 16.7523, 0.00005);
}

TEST(DispersionModel, KindConversions)
{
    EXPECT_EQ(KindToBo(0, 5), 5);
    EXPECT_EQ(KindToBo(1, 1), 0);
    EXPECT_EQ(KindToBo(1, 2), 3);
    EXPECT_NEAR(KindToBo(1, 10), 19.3923, 0.00005);
    // KindToN inverts KindToBo.
    EXPECT_NEAR(KindToN(0, KindToBo(1, 31.3627)), 31.3627, 1e-12);
    EXPECT_NEAR(KindToN(0, 62.19), 31.3627, 0.00005);
    EXPECT_EQ(KindToN(1, 62.19), 62.19);
    // The kind tests differ on purpose: NN0ToKind passes kind 1 through, KindToBo kind 0.
    EXPECT_EQ(NN0ToKind(1, 0.25), 0.25);
    EXPECT_EQ(NN0ToKind(1, 0), 0);
    EXPECT_EQ(NN0ToKind(7, std::exp(-2.0)), 2.0);
    EXPECT_EQ(SToKind(0, 29.5611), 29.5611);
    EXPECT_NEAR(SToKind(1, 29.5611), 1.4514e-13, 0.00005e-13);
    // n = 1 is one ideally mixed tank: N/N0 = 1/(1 + Da).
    EXPECT_DOUBLE_EQ(NN0Tanks(1, 3), 0.25);
}

TEST(DispersionModel, FaultsRaiseTheirClasses)
{
    EXPECT_THROW(NN0Dispersion(43.4, 0), EZeroDivide);
    EXPECT_THROW(NN0Dispersion(-10, 1), EInvalidOp);  // square root of a negative
    EXPECT_THROW(NN0ToKind(0, 0), EZeroDivide);       // ln 0
    EXPECT_THROW(NN0ToKind(0, -1), EInvalidOp);       // ln of a negative
    EXPECT_THROW(KindToBo(1, 0.5), EInvalidOp);
    EXPECT_THROW(NN0Tanks(0, 43.4), EZeroDivide);
    EXPECT_THROW(STanks(0, 43.4), EZeroDivide);
    EXPECT_THROW(SToKind(1, -1e6), EOverflow);   // beyond the extended range
    EXPECT_THROW(SToKind(1, -800), EOverflow);   // fits extended, not a Double
    EXPECT_THROW(KindToN(0, -1.5), EZeroDivide);
    double bo = 50;
    EXPECT_THROW(NewtonStepBo(bo, 0, std::exp(-29.56)), EZeroDivide); // Da 0: flat N/N0
    // Every fault is also a math error and an Exception.
    EXPECT_THROW(NN0Dispersion(43.4, 0), EMathError);
    EXPECT_THROW(NN0Dispersion(43.4, 0), Exception);
}

TEST(DispersionModel, TheFirstFaultInTheStepsDecidesTheClass)
{
    // Bo = 0: the first step divides by zero; the square root of infinity
    // and infinity over infinity that follow are invalid operations.
    double bo = 0;
    EXPECT_THROW(NewtonStepBo(bo, 43.4, std::exp(-29.56)), EZeroDivide);
    // exp(30000) overflows the extended range before 0 times infinity is invalid.
    EXPECT_THROW(NN0Dispersion(0, -30000), EOverflow);
    EXPECT_THROW(NN0Dispersion(43.4, -1e300), EOverflow);
    // 4 Da/-0 divides by zero before the square root of -infinity.
    EXPECT_THROW(NN0Dispersion(43.4, -0.0), EZeroDivide);
    // exp of -(1 + a) Bo/2 overflows first at a huge Da.
    bo = 1e-320;
    EXPECT_THROW(NewtonStepBo(bo, 1e300, 0.5), EOverflow);
}

TEST(DispersionModel, UnderflowPassesQuietly)
{
    // E2 underflows to 0 at a large Bo: no fault, the plug-flow value comes out.
    EXPECT_NEAR(NN0ToKind(0, NN0Dispersion(1, 1e6)), 1.0, 1e-5);
    EXPECT_EQ(SToKind(1, 1e6), 0.0);
}

TEST(DispersionModel, FlagsOfEarlierWorkDoNotLeak)
{
    std::feraiseexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
    EXPECT_NO_THROW(NN0Dispersion(1, 1));
    EXPECT_THROW(NN0Dispersion(43.4, 0), EZeroDivide);
    // A fault leaves the flags clear for the next computation.
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0);
    EXPECT_NO_THROW(NN0Dispersion(1, 1));
}

TEST(DispersionModel, KindListsCarryTheirIndex)
{
    TStringList list;
    list.Add("old");
    FillSKindList(list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(0), "Sreal");
    EXPECT_EQ(list.Strings(1), "N/N0");
    EXPECT_EQ(list.Objects(1), 1);
    FillBoKindList(list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(0), "Bo");
    EXPECT_EQ(list.Strings(1), "n");
    EXPECT_EQ(list.Objects(0), 0);
}

TEST(BoSolver, KeepsTheIterationWhereItConverges)
{
    for (const double s : {29.5611, 29.56, 27.0, 40.0}) {
        const double target = std::exp(-s);
        const TBoSolution sol = SolveBoForNN0(43.4, target);
        ASSERT_EQ(sol.Kind, TBoRootKind::Root);
        EXPECT_EQ(sol.Bo, WrittenIteration(43.4, target)) << "S " << s;
    }
}

TEST(BoSolver, FindsRootsTheIterationMisses)
{
    struct Case {
        double Da, S, Bo, Tolerance;
    };
    const Case cases[] = {
        {43.4, 5, 0.2200, 0.00005},   // the iteration leaves the domain
        {1, 0.9, 6.9777, 0.00005},
        {150, 140, 1959.0, 0.05},     // 50 steps stop far from the root
        {500, 450, 4049.0, 0.05},
    };
    for (const Case &c : cases) {
        const double target = std::exp(-c.S);
        for (const double stopAbove : {0.0, 1000.0}) { // the profiler's iteration ends above 1000
            const TBoSolution sol = SolveBoForNN0(c.Da, target, 50, stopAbove);
            ASSERT_EQ(sol.Kind, TBoRootKind::Root) << c.Da << " " << c.S;
            EXPECT_NEAR(sol.Bo, c.Bo, c.Tolerance) << c.Da << " " << c.S;
            // Full double precision: the neighbouring doubles lie on either side of the root.
            const long double sWanted = -std::log(static_cast<long double>(target));
            const long double below = SDispersionAccurate(c.Da, std::nextafter(sol.Bo, 0.0));
            const long double above = SDispersionAccurate(c.Da, std::nextafter(sol.Bo, 1e308));
            EXPECT_LE(below, sWanted + 1e-15L * sWanted);
            EXPECT_GE(above, sWanted - 1e-15L * sWanted);
        }
    }
}

TEST(BoSolver, NoRootOutsideTheRange)
{
    // S <= ln(1 + Da): less than ideal mixing gives.
    EXPECT_EQ(SolveBoForS(43.4, std::log1p(43.4)).Kind, TBoRootKind::BelowRange);
    EXPECT_EQ(SolveBoForS(43.4, 3.7).Kind, TBoRootKind::BelowRange);
    EXPECT_EQ(SolveBoForS(43.4, 3.8).Kind, TBoRootKind::Root);
    EXPECT_EQ(SolveBoForNN0(43.4, std::exp(-1.0)).Kind, TBoRootKind::BelowRange);
    EXPECT_EQ(SolveBoForNN0(43.4, 1.0).Kind, TBoRootKind::BelowRange);
    // S >= Da: more than plug flow gives; Bo is then infinite.
    const TBoSolution above = SolveBoForS(30, 30);
    EXPECT_EQ(above.Kind, TBoRootKind::AboveRange);
    EXPECT_TRUE(std::isinf(above.Bo));
    EXPECT_EQ(SolveBoForS(30, 29.999).Kind, TBoRootKind::Root);
    EXPECT_EQ(SolveBoForNN0(30, std::exp(-31.0)).Kind, TBoRootKind::AboveRange);
    EXPECT_EQ(SolveBoForNN0(43.4, 0).Kind, TBoRootKind::AboveRange);
    // No meaningful question at all.
    EXPECT_EQ(SolveBoForNN0(0, std::exp(-5.0)).Kind, TBoRootKind::Invalid);
    EXPECT_EQ(SolveBoForNN0(-1, 0.5).Kind, TBoRootKind::Invalid);
    EXPECT_EQ(SolveBoForNN0(43.4, -0.5).Kind, TBoRootKind::Invalid);
    EXPECT_EQ(SolveBoForNN0(std::nan(""), 0.5).Kind, TBoRootKind::Invalid);
    EXPECT_EQ(SolveBoForNN0(43.4, std::nan("")).Kind, TBoRootKind::Invalid);
    EXPECT_EQ(SolveBoForNN0(std::numeric_limits<double>::infinity(), 0.5).Kind, TBoRootKind::Invalid);
    // The solver raises nothing and leaves no fault behind.
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0);
}

TEST(BoSolver, AccurateSAgreesWithTheClosedForm)
{
    for (const double da : {0.5, 1.0, 43.4, 150.0})
        for (const double bo : {0.01, 0.5, 3.0, 62.19, 500.0, 2000.0}) {
            const double closed = NN0ToKind(0, NN0Dispersion(da, bo));
            EXPECT_NEAR(static_cast<double>(SDispersionAccurate(da, bo)), closed, 1e-11 * closed) << da << " " << bo;
        }
    // The limits of ideal mixing and plug flow.
    EXPECT_NEAR(static_cast<double>(SDispersionAccurate(43.4, 1e-300)), std::log1p(43.4), 1e-9);
    EXPECT_NEAR(static_cast<double>(SDispersionAccurate(43.4, 1e300)), 43.4, 1e-9);
}

TEST(BoSolver, StoppingEarlyKeepsTheFiftyStepResult)
{
    // The iteration stops at a fixed point or a two-cycle; wherever the full
    // 50 steps reach the root, the result must be theirs bit for bit.
    int compared = 0;
    for (int i = 0; i < 60; ++i)
        for (int j = 0; j < 60; ++j) {
            const double Da = 0.5 + i * 1.3, S = 0.3 + j * 0.8;
            const double target = static_cast<double>(expl(-static_cast<long double>(S)));
            double bo = 50;
            try {
                for (int k = 0; k < 50; ++k)
                    NewtonStepBo(bo, Da, target);
            } catch (const EMathError &) {
                continue;
            }
            const TBoSolution sol = SolveBoForS(Da, S);
            if (sol.Kind != TBoRootKind::Root || !(std::fabs(bo - sol.Bo) <= 1e-9 * sol.Bo))
                continue;
            EXPECT_EQ(sol.Bo, bo) << "Da " << Da << " S " << S;
            ++compared;
        }
    EXPECT_GT(compared, 500);
    // A case whose iterates end alternating between two neighbouring doubles.
    const double Da = 0.5 + 4 * 0.4, S = 0.3 + 7 * 0.25;
    const double target = static_cast<double>(expl(-static_cast<long double>(S)));
    double bo = 50, before = 0;
    for (int k = 0; k < 50; ++k) {
        before = bo;
        NewtonStepBo(bo, Da, target);
    }
    EXPECT_NE(before, bo);
    EXPECT_EQ(SolveBoForS(Da, S).Bo, bo);
}
