#pragma once
// A project of one variation, the ground of the tests of the profile
// routines. For suites that link the profiler.
#include "profiler/LibArvilo.h"

#include <gtest/gtest.h>

struct TOneVariation : ::testing::Test {
    TArvilo Doc{nullptr};
    TArvilo_Var *V = [this] {
        auto *v = new TArvilo_Var(&Doc);
        Doc.AddChild(v);
        return v;
    }();
};
