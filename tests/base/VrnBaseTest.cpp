#include "base/VrnBase.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {
// A derived class as the stream store declares them: nothing of its own.
class EVrnTestDerived : public EVrnWin32Error {
public:
    using EVrnWin32Error::EVrnWin32Error;
};
} // namespace

TEST(VrnBase, AppendsTheLastErrorAfterACarriageReturn)
{
    errno = 0;
    const EVrnWin32Error ok("CheckMap_failed");
    EXPECT_EQ(ok.LastError, 0u);
    EXPECT_EQ(ok.LastErrorMsg, std::strerror(0));
    EXPECT_EQ(ok.Message, "CheckMap_failed\rWin32: " + ok.LastErrorMsg + " (0)");
    EXPECT_STREQ(ok.what(), ok.Message.c_str());

    errno = ENOENT;
    const EVrnWin32Error missing("open");
    EXPECT_EQ(missing.LastError, static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(missing.LastErrorMsg, std::strerror(ENOENT));
    EXPECT_EQ(missing.Message, "open\rWin32: " + missing.LastErrorMsg + " (2)");
    EXPECT_EQ(missing.Message.find('\n'), std::string::npos);
}

TEST(VrnBase, CodeIsUnsignedAndCallerTextStaysLiteral)
{
    errno = -1;
    const EVrnWin32Error e("50% of %s done %n");
    EXPECT_EQ(e.LastError, 4294967295u);
    const std::string tail = " (4294967295)";
    ASSERT_GE(e.Message.size(), tail.size());
    EXPECT_EQ(e.Message.substr(e.Message.size() - tail.size()), tail);
    EXPECT_EQ(e.Message.rfind("50% of %s done %n\rWin32: ", 0), 0u);
}

TEST(VrnBase, DerivedClassesAreCaughtAsTheirBases)
{
    errno = EACCES;
    try {
        throw EVrnTestDerived("node");
    } catch (const EVrnError &e) {
        const auto *w = dynamic_cast<const EVrnWin32Error *>(&e);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->LastError, static_cast<std::uint32_t>(EACCES));
        EXPECT_EQ(e.Message.substr(0, 5), "node\r");
    }
}
