#include "power/SioChip.h"

#include "lumo/System/Source/TraceLog.h"
#include "power/GearItems.h"
#include "power/KFanBios.h"
#include "power/KdIoLib.h"
#include "power/PowerGear.h"

#include <algorithm>

namespace tv {
namespace {

// Configuration ports, and the hardware monitor's index and data ports.
constexpr WORD kConfigIndex = 0x2E;
constexpr WORD kConfigData = 0x2F;
constexpr WORD kMonitorIndex = 0x295;
constexpr WORD kMonitorData = 0x296;
constexpr BYTE kBankSelect = 0x4E;

constexpr uint16_t kClassBSignature = 0xB350;
constexpr int kMaxCurveTemperature = 100;

// Chip registers of one chip class.
struct Layout
{
    BYTE curveBank;
    BYTE curveFirst; // 12 registers: 6 temperature steps, 6 duty steps
    BYTE chassisDuty;
    BYTE chassisTemperature;
    BYTE chassisModeBits;
};

constexpr Layout kClassA = {0x00, 0x6F, 0x03, 0x06, 0x30};
constexpr Layout kClassB = {0x0A, 0x51, 0x01, 0x05, 0x0C};

constexpr BYTE kChassisMode = 0x04;
constexpr BYTE kChassisTolerance = 0x68;
// Written after a class-B curve change so that the chip takes the new curve up.
constexpr BYTE kClassBNudge = 0x06;

BYTE ClampTemperature(int value)
{
    return static_cast<BYTE>(std::min(value, kMaxCurveTemperature));
}

} // namespace

class SioChip::Lock
{
public:
    Lock(HANDLE event, const char* sequence) : m_event(event)
    {
        if (!m_event) {
            return;
        }
        m_held = WaitForSingleObject(m_event, kLockWaitMs) == WAIT_OBJECT_0;
        if (m_held) {
            ResetEvent(m_event);
        } else {
            // Another program works on the chip: its registers must not be touched meanwhile.
            TraceLog("~~~[SioChip] %s not taken within %lu ms, %s skipped", kLockName,
                     static_cast<unsigned long>(kLockWaitMs), sequence);
        }
    }
    ~Lock()
    {
        if (m_held) {
            SetEvent(m_event);
        }
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    bool Held() const { return m_held; }

private:
    HANDLE m_event;
    bool m_held = false;
};

SioChip::SioChip(KdIoLib& io, PowerGear& gear) : m_io(io), m_gear(gear)
{
    if (!m_io.IsPresent()) {
        return;
    }
    m_lock.Reset(CreateEventA(nullptr, FALSE, TRUE, kLockName));
    if (!m_lock) {
        TraceLog("[SioChip] CreateEvent %s failed! GetLastError returned %lu", kLockName,
                 GetLastError());
        return;
    }
    {
        Lock lock(m_lock.Get(), "chip detection");
        if (lock.Held()) {
            Detect();
        }
    }
    m_handOverItem = Class() == ChipClass::B && m_gear.IsItemSupported(item::kSioHandOver);
}

SioChip::~SioChip() = default;

SioChip& SioChip::Instance()
{
    static SioChip* const instance = new SioChip(KdIoLib::Instance(), PowerGear::Instance());
    return *instance;
}

bool SioChip::IsDetected() const
{
    return m_detected;
}

uint16_t SioChip::Id() const
{
    return m_id;
}

SioChip::ChipClass SioChip::Class() const
{
    return (m_id & kClassBSignature) == kClassBSignature ? ChipClass::B : ChipClass::A;
}

void SioChip::Detect()
{
    m_io.Out(kConfigIndex, 0x87);
    m_io.Out(kConfigIndex, 0x87);
    m_io.Out(kConfigIndex, 0x20);
    const BYTE high = m_io.In(kConfigData);
    m_io.Out(kConfigIndex, 0x21);
    const BYTE low = m_io.In(kConfigData);
    m_io.Out(kConfigIndex, 0xAA);
    m_id = static_cast<uint16_t>((high << 8) | low);
    m_detected = true;
    TraceLog("~~~[SioChip] chip id %04X, class %c", static_cast<unsigned>(m_id.load()),
             Class() == ChipClass::B ? 'B' : 'A');
}

BYTE SioChip::Read(BYTE reg)
{
    m_io.Out(kMonitorIndex, reg);
    return m_io.In(kMonitorData);
}

void SioChip::Write(BYTE reg, BYTE value)
{
    m_io.Out(kMonitorIndex, reg);
    m_io.Out(kMonitorData, value);
}

void SioChip::SelectBank(BYTE bank)
{
    Write(kBankSelect, bank);
}

template <typename Body> bool SioChip::Sequence(const char* name, Body body)
{
    if (!m_lock) {
        return false;
    }
    bool handOverFailed = false;
    {
        Lock lock(m_lock.Get(), name);
        if (!lock.Held()) {
            return false;
        }
        if (!m_detected) {
            // The lock was taken at creation: the chip is told apart now.
            Detect();
            m_handOverItem = Class() == ChipClass::B && m_gear.IsItemSupported(item::kSioHandOver);
        }
        if (m_handOverItem) {
            handOverFailed = !m_gear.SetItemEx(item::kSioHandOver, 0, 1);
        }
        const BYTE savedBank = Read(kBankSelect);
        body(Class() == ChipClass::B ? kClassB : kClassA);
        SelectBank(savedBank);
    }
    // Told only once the lock is back: every other program of the suite waits on it, and must
    // not wait on the user.
    if (handOverFailed) {
        ShowKFanSetItemFailure(item::kSioHandOver);
    }
    return true;
}

void SioChip::NudgeRegister06()
{
    // The chip re-reads its fan settings when register 0x06 changes. Its value is put back
    // afterwards, so that repeated curve writes do not drift it.
    SelectBank(0x00);
    const BYTE value = Read(kClassBNudge);
    Write(kClassBNudge, static_cast<BYTE>(value + 2));
    Write(kClassBNudge, value);
}

void SioChip::WriteCurve(const Curve& curve, int raise)
{
    const Layout& layout = Class() == ChipClass::B ? kClassB : kClassA;
    const int t1 = ClampTemperature(curve[0] + raise);
    const int t2 = ClampTemperature(curve[2] + raise);
    const int t3 = ClampTemperature(curve[4] + raise);
    const int d1 = curve[1];
    const int d2 = curve[3];
    const int d3 = curve[5];
    const int values[12] = {t1, (t1 + t2) / 2, t2, (t2 + t3) / 2, t3, t3 + 1,
                            d1, (d1 + d2) / 2, d2, (d2 + d3) / 2, d3, 255};
    SelectBank(layout.curveBank);
    for (int i = 0; i < 12; ++i) {
        Write(static_cast<BYTE>(layout.curveFirst + i), static_cast<BYTE>(values[i]));
    }
    if (Class() == ChipClass::B) {
        NudgeRegister06();
    }
}

bool SioChip::SetCpuFanUserMode(const Curve& curve)
{
    return Sequence("SetCpuFanUserMode", [&](const Layout&) {
        WriteCurve(curve, 2);
        Sleep(100);
        WriteCurve(curve, 0);
    });
}

bool SioChip::RestoreCpuFan()
{
    return Sequence("RestoreCpuFan", [&](const Layout& layout) {
        SelectBank(layout.curveBank);
        for (int i = 0; i < 12; ++i) {
            Write(static_cast<BYTE>(layout.curveFirst + i), i < 6 ? 0 : 255);
        }
        if (Class() == ChipClass::B) {
            NudgeRegister06();
        }
    });
}

void SioChip::SetChassis(BYTE duty, bool silent, BYTE temperature, BYTE tolerance)
{
    const Layout& layout = Class() == ChipClass::B ? kClassB : kClassA;
    SelectBank(0x00);
    const BYTE mode = Read(kChassisMode);
    Write(kChassisMode, 0);
    Write(layout.chassisDuty, duty);
    if (silent) {
        Write(layout.chassisTemperature, temperature);
        Write(kChassisTolerance, tolerance);
        Write(kChassisMode, mode | layout.chassisModeBits);
    } else {
        Write(kChassisMode, mode & static_cast<BYTE>(~layout.chassisModeBits));
    }
}

bool SioChip::SetChassisFanSilent(BYTE temperature, BYTE tolerance)
{
    return Sequence("SetChassisFanSilent",
                    [&](const Layout&) { SetChassis(155, true, temperature, tolerance); });
}

bool SioChip::RestoreChassisFan()
{
    return Sequence("RestoreChassisFan", [&](const Layout&) { SetChassis(255, false, 0, 0); });
}

bool SioChip::SetChassisFanOff()
{
    return Sequence("SetChassisFanOff", [&](const Layout&) { SetChassis(0, false, 0, 0); });
}

bool SioChip::CpuTemperatureHalf(int& halfDegrees)
{
    return Sequence("CpuTemperature", [&](const Layout&) {
        SelectBank(0x01);
        const BYTE high = Read(0x50);
        const BYTE low = Read(0x51);
        halfDegrees = (high << 1) | (low >> 7);
    });
}

} // namespace tv
