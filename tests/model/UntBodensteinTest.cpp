#include "model/UntBodenstein.h"
#include <gtest/gtest.h>
TEST(Smoke, Builds) { EXPECT_NEAR(NN0Dispersion(1, 1), 0.46766, 5e-6); }
