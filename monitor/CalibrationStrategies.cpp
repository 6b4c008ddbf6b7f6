#include "monitor/CalibrationStrategies.h"

#include "shell/base/RegistrySchema.h"

#include <algorithm>
#include <cmath>

namespace tv {
namespace {

const CalibrationShape kShapeF001 = {
    "F001",
    200,
    4,
    2,
    CalibrationLoad::Primary,
    false,
    {reg::kNormLow, reg::kPowerSavingLow, reg::kNormHigh, reg::kPowerSavingHigh, nullptr, nullptr}};
const CalibrationShape kShape7000 = {
    "7000",
    300,
    6,
    2,
    CalibrationLoad::Primary,
    false,
    {reg::kNormLow, reg::kPowerSavingLow, reg::kNormHigh, reg::kPowerSavingHigh, nullptr, nullptr}};
const CalibrationShape kShapeF010 = {
    "F010",
    200,
    4,
    2,
    CalibrationLoad::Primary,
    false,
    {reg::kNormLow, reg::kPowerSavingLow, reg::kNormHigh, reg::kPowerSavingHigh, nullptr, nullptr}};
const CalibrationShape kShapeF011 = {
    "F011",
    200,
    4,
    2,
    CalibrationLoad::Primary,
    false,
    {reg::kNormLow, reg::kPowerSavingLow, reg::kNormHigh, reg::kPowerSavingHigh, nullptr, nullptr}};
const CalibrationShape kShape7010 = {"7010",
                                     300,
                                     6,
                                     3,
                                     CalibrationLoad::Primary,
                                     true,
                                     {reg::kNormLow, reg::kMediumLow, reg::kPowerSavingLow,
                                      reg::kNormHigh, reg::kMediumHigh, reg::kPowerSavingHigh}};
const CalibrationShape kShapeDefault = {"default",
                                        300,
                                        6,
                                        3,
                                        CalibrationLoad::CpuBurn,
                                        true,
                                        {reg::kNormLow, reg::kMediumLow, reg::kPowerSavingLow,
                                         reg::kNormHigh, reg::kMediumHigh, reg::kPowerSavingHigh}};

// Truncates toward zero; a result outside 32 bits wraps as the hardware word would.
int TruncToInt(double value)
{
    if (!(value > -9.0e18 && value < 9.0e18)) {
        return 0;
    }
    return static_cast<int>(static_cast<uint32_t>(static_cast<int64_t>(value)));
}

// Two's complement addition without signed overflow.
int AddWrapping(int value, int addend)
{
    return static_cast<int>(static_cast<uint32_t>(value) + static_cast<uint32_t>(addend));
}

// Sorts the three candidates ascending, clamps each to 0..255 and stores them in that order.
void StoreSortedClamped(uint32_t a, uint32_t b, uint32_t c, int thresholds[3])
{
    uint32_t candidates[3] = {a, b, c};
    std::sort(candidates, candidates + 3);
    for (int i = 0; i < 3; ++i) {
        thresholds[i] = static_cast<int>(std::min<uint32_t>(candidates[i], 255));
    }
}

// The load ratio of the F-family formulas: the product wraps in 32 bits.
double LoadRatio(uint32_t normHigh, uint32_t powerSavingLow, int processors)
{
    const uint32_t product = (normHigh - powerSavingLow) * powerSavingLow;
    return product / (1e6 * processors * processors);
}

// Threshold1 of the ratio formula, with weight w for the loaded figure and exponent e.
int RatioThreshold(int processors, uint32_t normHigh, uint32_t powerSavingLow, double w, int e)
{
    return TruncToInt(std::ldexp(100.0 * processors, e) + (1 - w) * powerSavingLow + w * normHigh +
                      0.5);
}

} // namespace

CalibrationF001::CalibrationF001() : CalibrationStrategy(kShapeF001) {}

void CalibrationF001::ComputeThresholds()
{
    const int n = Environment().ProcessorCount();
    const uint32_t psl = Result(kFourPowerSavingLow);
    const uint32_t nh = Result(kFourNormHigh);
    const double r = LoadRatio(nh, psl, n);
    const bool high = r > 12;
    const int t1 = RatioThreshold(n, nh, psl, high ? 0.07 : 0.05, r > 33 ? 3 : 0);
    Store(t1, AddWrapping(t1, high ? 2000 : 100), t1);
}

Calibration7000::Calibration7000() : CalibrationStrategy(kShape7000) {}

void Calibration7000::ComputeThresholds()
{
    const uint32_t normLow = Result(kFourNormLow);
    const uint32_t psh = Result(kFourPowerSavingHigh);
    int t1;
    int t2;
    if (normLow != psh) {
        const double d = normLow > psh ? double(normLow - psh) : double(psh - normLow);
        // Goes negative when the loaded saving figure exceeds the unloaded performance one.
        t1 = TruncToInt(normLow - 0.8 * d + 0.5);
        t2 = TruncToInt(normLow - 0.5 * d + 0.5);
    } else {
        t1 = static_cast<int>(normLow - 20);
        t2 = static_cast<int>(normLow - 10);
    }
    Store(t1, t2, 0);
}

CalibrationF010::CalibrationF010() : CalibrationStrategy(kShapeF010) {}

void CalibrationF010::ComputeThresholds()
{
    const bool few = Environment().ProcessorCount() <= 2;
    const double w1 = few ? 1.5 : 1.3;
    const double w2 = few ? 0.95 : 1.2;
    const uint32_t psl = Result(kFourPowerSavingLow);
    const uint32_t psh = Result(kFourPowerSavingHigh);
    const int c = TruncToInt((psl * w1 + psh * w2) * 0.5);
    const int t2 = AddWrapping(std::max(static_cast<int>(psl), c), 1000);
    const int t1 = AddWrapping(t2, -2000);
    Store(t1, t2, t1);
}

CalibrationF011::CalibrationF011() : CalibrationStrategy(kShapeF011) {}

void CalibrationF011::ComputeThresholds()
{
    const int n = Environment().ProcessorCount();
    const uint32_t psl = Result(kFourPowerSavingLow);
    const uint32_t nh = Result(kFourNormHigh);
    const double r = LoadRatio(nh, psl, n);
    const bool high = r > 17;
    const int e = r <= 4 ? 1 : r <= 17 ? 0 : r <= 120 ? 2 : 3;
    const int t1 = RatioThreshold(n, nh, psl, high ? 0.07 : 0.05, e);
    Store(t1, AddWrapping(t1, high ? 2000 : 100), t1);
}

Calibration7010::Calibration7010() : CalibrationStrategy(kShape7010) {}

void Calibration7010::ComputeThresholds()
{
    const uint32_t psh = Result(kSixPowerSavingHigh);
    const uint32_t psl = Result(kSixPowerSavingLow);
    const uint32_t nh = Result(kSixNormHigh);
    const bool apart = psh - psl > 3;
    const double savingShare = apart ? 0.4 : 0.5;
    const double normShare = apart ? 0.45 : 0.5;
    int thresholds[3];
    StoreSortedClamped(static_cast<uint32_t>(psh * savingShare + 0.5),
                       static_cast<uint32_t>(nh * normShare + 0.5), 255, thresholds);
    Store(thresholds[0], thresholds[1], thresholds[2]);
}

CalibrationDefault::CalibrationDefault() : CalibrationStrategy(kShapeDefault) {}

void CalibrationDefault::ComputeThresholds()
{
    const uint32_t offset = Environment().ProcessorCount() < 4 ? 2 : 3;
    int thresholds[3];
    StoreSortedClamped(Result(kSixMediumLow) + 2, Result(kSixNormLow) + offset, 255, thresholds);
    Store(thresholds[0], thresholds[1], thresholds[2]);
}

} // namespace tv
