// The phase statistic: the samples sorted, the window n/2 .. 3n/4 averaged; fewer than three
// samples give their mean.
#include "shell/base/SampleCollector.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

namespace {

using tv::SampleCollector;

TEST(SampleCollector, FewerThanThreeSamplesGiveTheirMean)
{
    SampleCollector none;
    EXPECT_EQ(0u, none.Statistic());

    SampleCollector one;
    one.Add(7);
    EXPECT_EQ(7u, one.Statistic());

    SampleCollector two;
    two.Add(8);
    two.Add(3);
    EXPECT_EQ(5u, two.Statistic()); // 11 / 2, truncated
    EXPECT_EQ((std::vector<uint32_t>{3, 8}), two.Samples());

    // The mean of two large samples does not wrap.
    SampleCollector large;
    large.Add(0xFFFFFFFF);
    large.Add(0xFFFFFFFD);
    EXPECT_EQ(0xFFFFFFFEu, large.Statistic());
}

TEST(SampleCollector, ThreeSamplesAverageTheMiddleOne)
{
    SampleCollector collector;
    for (uint32_t sample : {9u, 1u, 5u}) {
        collector.Add(sample);
    }
    EXPECT_EQ(5u, collector.Statistic()); // window [1, 2)
}

TEST(SampleCollector, ThirtySamplesAveragePositionsFifteenToTwentyOne)
{
    // Squares of 0..29 in a scrambled order.
    std::vector<uint32_t> samples;
    for (uint32_t i = 0; i < 30; ++i) {
        const uint32_t k = (i * 7) % 30;
        samples.push_back(k * k);
    }
    SampleCollector collector;
    for (uint32_t sample : samples) {
        collector.Add(sample);
    }
    // (225 + 256 + 289 + 324 + 361 + 400 + 441) / 7 = 2296 / 7 = 328
    EXPECT_EQ(328u, collector.Statistic());
    // The list stays sorted.
    std::sort(samples.begin(), samples.end());
    EXPECT_EQ(samples, collector.Samples());
    // And asking again gives the same.
    EXPECT_EQ(328u, collector.Statistic());
}

TEST(SampleCollector, WindowTruncatesItsBoundsAndItsMean)
{
    // n = 10: positions 5 .. 6 (3n/4 = 7).
    SampleCollector ten;
    for (uint32_t sample : {10u, 0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
        ten.Add(sample);
    }
    EXPECT_EQ(5u, ten.Statistic()); // (5 + 6) / 2 = 5.5 -> 5
    // n = 4: positions 2 .. 2.
    SampleCollector four;
    for (uint32_t sample : {40u, 10u, 30u, 20u}) {
        four.Add(sample);
    }
    EXPECT_EQ(30u, four.Statistic());
}

TEST(SampleCollector, WindowSumWrapsAsA32BitNumber)
{
    SampleCollector collector;
    for (int i = 0; i < 30; ++i) {
        collector.Add(0x40000000);
    }
    // 7 x 2^30 wraps to 3 x 2^30 before the division.
    EXPECT_EQ(0xC0000000u / 7, collector.Statistic());
}

TEST(SampleCollector, MiddleAndUpperStatisticsAgree)
{
    const std::vector<uint32_t> samples = {90, 10, 80, 20, 70, 30, 60, 40, 50, 15, 85, 5};
    SampleCollector a;
    SampleCollector b;
    SampleCollector c;
    for (uint32_t sample : samples) {
        a.Add(sample);
        b.Add(sample);
        c.Add(sample);
    }
    const uint32_t statistic = a.Statistic();
    EXPECT_EQ(statistic, b.MiddleStatistic());
    EXPECT_EQ(statistic, c.UpperStatistic());
    EXPECT_EQ(60u, statistic); // sorted positions 6 .. 8: 50, 60, 70
}

TEST(SampleCollector, ClearEmptiesAndTheInstanceIsShared)
{
    SampleCollector& instance = SampleCollector::Instance();
    EXPECT_EQ(&instance, &SampleCollector::Instance());
    instance.Clear();
    instance.Add(4);
    instance.Add(6);
    EXPECT_EQ(2u, instance.Count());
    instance.Clear();
    EXPECT_EQ(0u, instance.Count());
    EXPECT_EQ(0u, instance.Statistic());
}

} // namespace
