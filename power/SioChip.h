#pragma once
// The board's hardware-monitor chip, reached by port I/O: fan curves, chassis fan modes and the
// CPU temperature. All access is serialised with the maker's other programs by the named event
// "KALDO_SIO_MUTEX"; a sequence that cannot take it within 2000 ms is skipped.
#include "lumo/System/Source/Owners.h"

#include <windows.h>
#include <array>
#include <atomic>
#include <cstdint>

namespace tv {

class KdIoLib;
class PowerGear;

class SioChip
{
public:
    static constexpr char kLockName[] = "KALDO_SIO_MUTEX";
    static constexpr DWORD kLockWaitMs = 2000;

    enum class ChipClass
    {
        A,
        B, // (ID AND 0xB350) = 0xB350
    };

    // t1, d1, t2, d2, t3, d3: temperatures in degrees Celsius, duties 0..255.
    using Curve = std::array<BYTE, 6>;

    // Detects the chip (under the lock) and, for class B, whether the BIOS hand-over item exists.
    SioChip(KdIoLib& io, PowerGear& gear);
    ~SioChip();
    SioChip(const SioChip&) = delete;
    SioChip& operator=(const SioChip&) = delete;

    // Over KdIoLib::Instance() and PowerGear::Instance(), created on first use.
    static SioChip& Instance();

    bool IsDetected() const;
    uint16_t Id() const;
    ChipClass Class() const;

    // Each returns false when it did not run (no port access, or the lock stayed taken).
    // Writes the curve with every temperature raised by 2, then 100 ms later the true curve.
    bool SetCpuFanUserMode(const Curve& curve);
    bool RestoreCpuFan();
    bool SetChassisFanSilent(BYTE temperature, BYTE tolerance);
    bool RestoreChassisFan();
    bool SetChassisFanOff();
    // In half degrees Celsius.
    bool CpuTemperatureHalf(int& halfDegrees);

private:
    class Lock;

    // Runs body under the lock, with the class-B hand-over first and the bank restored after.
    template <typename Body> bool Sequence(const char* name, Body body);
    void Detect();
    void WriteCurve(const Curve& curve, int raise);
    void NudgeRegister06();
    void SetChassis(BYTE duty, bool silent, BYTE temperature, BYTE tolerance);
    BYTE Read(BYTE reg);
    void Write(BYTE reg, BYTE value);
    void SelectBank(BYTE bank);

    KdIoLib& m_io;
    PowerGear& m_gear;
    lumo::KernelHandle m_lock;
    // Written under the lock, read anywhere.
    std::atomic<bool> m_detected{false};
    std::atomic<uint16_t> m_id{0};
    bool m_handOverItem = false;
};

} // namespace tv
