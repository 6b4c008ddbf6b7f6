#pragma once
// Per-gear hardware parameters read from the board's profile banks when the power monitor starts:
// the start-up values of the voltage items that the mode profiles default to, and the pass-through
// of a profile's voltage items to the board.
#include <cstdint>
#include <mutex>

namespace tv {

class PowerGear;

class GearParameters
{
public:
    static constexpr int kGearCount = 4;

    struct Values
    {
        int32_t a = 0; // not taken from the board
        int32_t b = 0; // vCore downgrade
        int32_t c = 0; // load-line (or VDDNB on family F) downgrade
        int32_t d = 0; // not taken from the board
    };

    // The second voltage item depends on the controller type's family.
    GearParameters(PowerGear& gear, uint32_t controllerType);
    GearParameters(const GearParameters&) = delete;
    GearParameters& operator=(const GearParameters&) = delete;

    // The process-wide cache over PowerGear::Instance(), filled on first use.
    static GearParameters& Instance();

    // Reads banks 0, 2 and 3 (bank 1 stays 0): select the bank, read each voltage item and write
    // the value read back. Only the first call reads.
    void Fill();
    bool IsFilled() const;

    // The cached values of gear 0..3; zeros for other gears.
    Values Get(int gear) const;
    // Gears 0, 2, 3: select the bank and write vCore (b) and the second voltage item (c). The
    // cache keeps the start-up values.
    void Set(int gear, int32_t b, int32_t c);

    // 0x0B060021 on family F, 0x0B060022 elsewhere.
    int SecondVoltageItem() const { return m_secondItem; }

private:
    // Reads an item and writes the value read back; 0 when it cannot be read.
    int32_t ReadAndRewrite(int item);

    PowerGear& m_gear;
    int m_secondItem;
    mutable std::mutex m_lock;
    bool m_filled = false;
    Values m_values[kGearCount];
};

} // namespace tv
