#pragma once
// The six calibration strategies, one per controller type (the default for any other type).
#include "monitor/CalibrationStrategy.h"

namespace tv {

// Phase results of the four-phase schedules (and the first four of the 0x7000 one).
enum FourPhaseResult
{
    kFourNormLow = 0,
    kFourPowerSavingLow = 1,
    kFourNormHigh = 2,
    kFourPowerSavingHigh = 3,
};

// Phase results of the six-phase schedules that also measure the medium level.
enum SixPhaseResult
{
    kSixNormLow = 0,
    kSixMediumLow = 1,
    kSixPowerSavingLow = 2,
    kSixNormHigh = 3,
    kSixMediumHigh = 4,
    kSixPowerSavingHigh = 5,
};

// 0xF001: four phases; ratio formula, bands at 12 and 33.
class CalibrationF001 : public CalibrationStrategy
{
public:
    CalibrationF001();
    void ComputeThresholds() override;
};

// 0x7000: six phases alternating two modes, four of them named; distance formula.
class Calibration7000 : public CalibrationStrategy
{
public:
    Calibration7000();
    void ComputeThresholds() override;
};

// 0xF010: four phases; weighted mean formula.
class CalibrationF010 : public CalibrationStrategy
{
public:
    CalibrationF010();
    void ComputeThresholds() override;
};

// 0xF011: four phases; ratio formula, bands at 4, 17 and 120.
class CalibrationF011 : public CalibrationStrategy
{
public:
    CalibrationF011();
    void ComputeThresholds() override;
};

// 0x7010: six phases over three modes; half-or-fraction formula.
class Calibration7010 : public CalibrationStrategy
{
public:
    Calibration7010();
    void ComputeThresholds() override;
};

// Every other type: six phases over three modes under the burn load; offset formula.
class CalibrationDefault : public CalibrationStrategy
{
public:
    CalibrationDefault();
    void ComputeThresholds() override;
};

} // namespace tv
