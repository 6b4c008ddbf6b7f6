#pragma once
// The Auto mode's three load thresholds of the power-gear logic: loaded from the registry on first
// use, replaced by a calibration, discarded when the board flags them invalid.
#include <mutex>

namespace tv {

class PowerGear;

class GearThresholds
{
public:
    static constexpr int kDefault1 = 0;
    static constexpr int kDefault2 = 0;
    static constexpr int kDefault3 = 255;

    // Reads and writes the thresholds-invalid item through gear.
    explicit GearThresholds(PowerGear& gear);
    GearThresholds(const GearThresholds&) = delete;
    GearThresholds& operator=(const GearThresholds&) = delete;

    void Get(int& t1, int& t2, int& t3);
    // True when calibrated thresholds are in force (read back or stored).
    bool IsValid();
    // A calibration's result: kept in memory, written to the registry (valid only when all three
    // writes succeed) and the board's invalid flag cleared.
    void Store(int t1, int t2, int t3);

    // The board's thresholds-invalid flag (item 0x00070005 reads 1), and clearing it.
    bool IsInvalidFlagSet();
    bool ClearInvalidFlag();

private:
    void EnsureLoaded();

    PowerGear& m_gear;
    std::mutex m_lock;
    bool m_loaded = false;
    bool m_valid = false;
    int m_values[3] = {kDefault1, kDefault2, kDefault3};
};

} // namespace tv
