#include "platform/ChartTicks.h"

#include <gtest/gtest.h>

#include <string>

TEST(ChartTicks, RoundValuesWithTheGivenSeparator)
{
    auto texts = [](double min, double max, int count, char sep) {
        std::string out;
        for (const TChartTick &t : ChartTicks(min, max, count, sep))
            out += t.Text + " ";
        return out;
    };
    // One number of decimals per axis, as the step needs it.
    EXPECT_EQ(texts(0, 1, 5, ','), "0,0 0,2 0,4 0,6 0,8 1,0 ");
    EXPECT_EQ(texts(0, 1, 5, '.'), "0.0 0.2 0.4 0.6 0.8 1.0 ");
    EXPECT_EQ(texts(30, 50, 10, ','), "30 32 34 36 38 40 42 44 46 48 50 ");
    EXPECT_EQ(texts(29.9, 50.1, 10, ','), "30 35 40 45 50 ");
    EXPECT_EQ(texts(-0.3, 0.3, 3, ','), "-0,2 0,0 0,2 ");
    EXPECT_EQ(texts(0, 4000, 4, ','), "0 1000 2000 3000 4000 ");
    EXPECT_EQ(texts(0.001, 0.0012, 2, ','), "0,0010 0,0011 0,0012 ");
    EXPECT_EQ(texts(5, 5, 4, ','), "") << "an empty range has no ticks";
    EXPECT_EQ(ChartTicks(0, 1e9, 2, ',').back().Text, "1,00e+09");
}
