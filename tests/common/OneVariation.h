#pragma once
// A project of one variation, the ground of the tests of the profile
// routines, and a scope that lends a project to the global one. For suites
// that link the profiler.
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

// The global project points at the test's own while a test needs it, and
// back at the old one however the test ends.
struct TProjectScope {
    explicit TProjectScope(TArvilo *P) : Old(Project) { Project = P; }
    ~TProjectScope() { Project = Old; }
    TProjectScope(const TProjectScope &) = delete;
    TProjectScope &operator=(const TProjectScope &) = delete;
    TArvilo *Old;
};
