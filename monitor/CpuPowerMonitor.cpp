#include "monitor/CpuPowerMonitor.h"

#include "ipc/QemPipeServerThread.h"
#include "lumo/Forms/GuiThread.h"
#include "lumo/Forms/Timer.h"
#include "lumo/System/Source/Owners.h"
#include "lumo/System/Source/TraceLog.h"
#include "monitor/BoardCalibrationEnvironment.h"
#include "monitor/FirmwareProbe.h"
#include "power/GearItems.h"
#include "power/GearLevel.h"
#include "power/ModeThread.h"
#include "power/PowerGear.h"
#include "shell/base/ControllerLink.h"

#include <atomic>
#include <cmath>
#include <mutex>

namespace tv {
namespace {

// The least power the board account ever books: a failed or implausible reading counts as this.
constexpr double kPowerFloorWatts = 2.5;

// The board's saving factors by saving index (Turbo, High performance, Medium, Max).
constexpr double kBoardFactors[EnergySaving::kSavingIndexCount] = {0.0, 0.0, 0.26, 0.46};

// Auto's states as the board's gear-level item takes them.
constexpr int kAutoPerformanceItem = 0x8011;
constexpr int kAutoSavingItem = 0x8013;

} // namespace

double DecodeCpuPower(uint32_t controllerType, uint32_t raw)
{
    if (controller::IsFFamily(controllerType) || controller::Is7Family(controllerType)) {
        const double scale = controller::IsFineScaleType(controllerType) ? 0.005 : 0.001;
        return static_cast<double>(static_cast<uint64_t>(raw)) * scale;
    }
    // Linear-11: a signed 5-bit exponent over an 11-bit mantissa.
    const int16_t word = static_cast<int16_t>(raw & 0xFFFF);
    const int exponent = static_cast<int16_t>(word & static_cast<int16_t>(0xF800)) >> 11;
    const int mantissa = word & 0x7FF;
    const double power = std::ldexp(static_cast<double>(mantissa), exponent);
    TraceLog("~~~[CpuPowerMonitor] value:%x msb:%x lsb:%x power %f", raw, exponent, mantissa,
             power);
    return power;
}

// The mode-done event: auto-reset, created signalled, so the first request passes at once. It
// stands for "every body started has ended": when ApplyMode's bounded wait gave up and a second
// thread started, the end of the first one does not signal it, only the end of the last one.
class CpuPowerMonitor::ModeDoneEvent
{
public:
    ModeDoneEvent() : m_handle(CreateEventA(nullptr, FALSE, TRUE, nullptr))
    {
        if (!m_handle) {
            TraceLog("~~~[CpuPowerMonitor] CreateEvent failed! GetLastError returned %lu",
                     GetLastError());
        }
    }

    HANDLE Get() const { return m_handle.Get(); }
    void Signal() const
    {
        if (m_handle) {
            SetEvent(m_handle.Get());
        }
    }
    // A thread starts: its number for Ended.
    unsigned Started() { return ++m_latest; }
    // A thread ended (on the GUI thread): signals when no later one was started.
    void Ended(unsigned started)
    {
        if (started == m_latest) {
            Signal();
        }
    }

private:
    lumo::KernelHandle m_handle;
    std::atomic<unsigned> m_latest{0};
};

CpuPowerMonitor& CpuPowerMonitor::Instance()
{
    // Not a function-local static with its set-up inside: the set-up calls out, and a call
    // back in would re-enter that static's creation (an exception or a dead-lock). The object
    // is made and published first, then set up; the lock keeps other threads out until then
    // and lets the creating thread's own calls back in through.
    static std::recursive_mutex lock;
    static std::atomic<CpuPowerMonitor*> instance{nullptr};
    if (CpuPowerMonitor* ready = instance.load(std::memory_order_acquire)) {
        return *ready;
    }
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (CpuPowerMonitor* ready = instance.load(std::memory_order_acquire)) {
        return *ready;
    }
    // Opens the gear engine before the controller type and the banks are read.
    GearParameters& parameters = GearParameters::Instance();
    auto* monitor = new CpuPowerMonitor(tv::ControllerType(), &parameters, nullptr, false);
    static BoardCalibrationEnvironment environment(*monitor);
    SetCalibrationEnvironment(&environment);
    instance.store(monitor, std::memory_order_release);
    monitor->Initialise();
    return *monitor;
}

CpuPowerMonitor::CpuPowerMonitor(uint32_t controllerType)
    : CpuPowerMonitor(
          controllerType, nullptr,
          std::make_unique<GearParameters>(PowerGear::Instance(), OpenGearEngine(controllerType)),
          true)
{}

CpuPowerMonitor::CpuPowerMonitor(uint32_t controllerType, GearParameters* shared,
                                 std::unique_ptr<GearParameters> owned, bool initialise)
    : m_controllerType(controllerType), m_ownedParameters(std::move(owned)),
      m_parameters(shared ? *shared : *m_ownedParameters),
      m_modeDone(std::make_shared<ModeDoneEvent>())
{
    if (initialise) {
        Initialise();
    }
}

CpuPowerMonitor::~CpuPowerMonitor() = default;

uint32_t CpuPowerMonitor::OpenGearEngine(uint32_t controllerType)
{
    tv::OpenGearEngine(PowerGear::Instance());
    return controllerType;
}

void CpuPowerMonitor::Initialise()
{
    m_parameters.Fill();

    if (!m_board.Load()) {
        TraceLog("~~~[CpuPowerMonitor] MB EnergySaving Load failed");
    }
    for (int index = 0; index < EnergySaving::kSavingIndexCount; ++index) {
        m_board.SetFactor(index, kBoardFactors[index]);
    }
    if (!m_card.Load()) {
        TraceLog("~~~[CpuPowerMonitor] VGA EnergySaving Load failed");
    }

    QueryCardCapabilities();
    PushModeToCard();

    if (IsFFamily()) {
        m_ocStatusTimer = std::make_unique<lumo::TTimer>(nullptr);
        m_ocStatusTimer->SetEnabled(false);
        m_ocStatusTimer->SetInterval(kOcStatusIntervalMs);
        m_ocStatusTimer->OnTimer = [this](lumo::TObject*) { PollAutoState(); };
        int level = 0;
        if (!PowerGear::Instance().GetItem(item::kGearLevel, level)) {
            level = 0;
        }
        if (level == kGearAuto) {
            m_ocStatusTimer->SetEnabled(true);
        }
    }
}

bool CpuPowerMonitor::AutoModeReady() const
{
    return IsTypeF000() || PowerGear::Instance().Thresholds().IsValid();
}

bool CpuPowerMonitor::IsBiosOverclocked() const
{
    int value = 0;
    return PowerGear::Instance().GetItem(item::kOverclockStatus, value) && value != 1 && value != 2;
}

bool CpuPowerMonitor::FirmwareDozeCapable() const
{
    static const bool capable = ProbeFirmwareDozeCapable();
    return capable;
}

double CpuPowerMonitor::CpuPower() const
{
    int value = 0;
    if (!PowerGear::Instance().GetItem(item::kCpuPower, value)) {
        value = 0;
    }
    const double power = DecodeCpuPower(m_controllerType, static_cast<uint32_t>(value));
    // Also when the reading is not a number.
    return power >= kPowerFloorWatts ? power : kPowerFloorWatts;
}

int CpuPowerMonitor::SavingIndex() const
{
    return SavingIndexOf(PowerGear::Instance().GetLevel());
}

int CpuPowerMonitor::SavingIndexOf(int level) const
{
    switch (level) {
    case kGearTurbo:
        return 0;
    case kGearHighPerformance:
    case kGearMediumSaving:
    case kGearMaxSaving:
        return level + 1;
    case kGearAuto:
        return AutoState();
    default:
        return 1;
    }
}

int CpuPowerMonitor::AutoState() const
{
    if (IsFFamily()) {
        return m_autoState;
    }
    int subLevel = 1;
    if (!PowerGear::Instance().GetItem(item::kAutoSubLevel, subLevel)) {
        subLevel = 1;
    }
    return subLevel == 2 || subLevel == 3 ? kAutoSaving : kAutoPerformance;
}

int CpuPowerMonitor::CurrentMode() const
{
    int pending = 0;
    if (controller_link::PendingStartupMode(pending)) {
        return NormalizeGearLevel(pending);
    }
    return NormalizeGearLevel(PowerGear::Instance().GetLevel());
}

void CpuPowerMonitor::Tick(int seconds)
{
    const double power = CpuPower();
    const int index = SavingIndex();
    m_board.SetCurrentPower(power);
    m_board.Update(index, seconds);
    m_card.Update(index, seconds);
}

void CpuPowerMonitor::ResetCumulative()
{
    m_board.ResetCumulative();
    m_card.ResetCumulative();
}

void CpuPowerMonitor::ApplyMode(int mode, bool apply)
{
    const ModeRequest request = {NormalizeGearLevel(mode), apply};
    if (m_applyingMode) {
        // Called back from inside the wait below. A nested wait would take the turn of the
        // request under way, start its own thread first and leave the earlier request to start
        // later, after its time-out, over a running thread. Queued instead; the same request
        // twice in a row is applied once.
        if (m_queuedModes.empty() || m_queuedModes.back().level != request.level ||
            m_queuedModes.back().apply != request.apply) {
            m_queuedModes.push_back(request);
        }
        TraceLog("~~~[CpuPowerMonitor] mode %x requested while one is applied: queued",
                 request.level);
        return;
    }
    m_applyingMode = true;
    try {
        ApplyNow(request);
        while (!m_queuedModes.empty()) {
            const ModeRequest next = m_queuedModes.front();
            m_queuedModes.pop_front();
            ApplyNow(next);
        }
    } catch (...) {
        m_applyingMode = false;
        m_queuedModes.clear();
        throw;
    }
    m_applyingMode = false;
}

void CpuPowerMonitor::ApplyNow(const ModeRequest& request)
{
    const int level = request.level;
    const bool apply = request.apply;
    // Runs queued GUI work meanwhile: the running thread's end is handled on this thread.
    lumo::GuiThread::WaitFor(m_modeDone->Get(), kModeWaitMs);
    StartModeThread(level, apply);
    if (IsAutoPollingType() && m_ocStatusTimer) {
        if (level == kGearAuto) {
            m_autoState = kAutoSaving;
            m_ocStatusTimer->SetEnabled(true);
        } else {
            m_ocStatusTimer->SetEnabled(false);
        }
    }
}

void CpuPowerMonitor::StartModeThread(int level, bool apply)
{
    TSetPowerGearThread* thread = nullptr;
    try {
        thread = new TSetPowerGearThread(level, apply, m_controllerType);
    } catch (const std::exception& e) {
        TraceLog("~~~[CpuPowerMonitor] no mode thread for %x: %s", level, e.what());
        m_modeDone->Signal();
        return;
    }
    std::shared_ptr<ModeDoneEvent> done = m_modeDone;
    auto bodyDone =
        std::make_shared<lumo::KernelHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!*bodyDone) {
        TraceLog("~~~[CpuPowerMonitor] CreateEvent failed! GetLastError returned %lu",
                 GetLastError());
    }
    thread->SetTurn(m_lastBodyDone, bodyDone);
    m_lastBodyDone = bodyDone;
    const unsigned number = done->Started();
    thread->SetFreeOnTerminate(true);
    thread->OnTerminate = [done, number](lumo::TObject*) { done->Ended(number); };
    thread->Resume();
}

bool CpuPowerMonitor::WaitForModeThread(DWORD timeoutMs)
{
    if (lumo::GuiThread::WaitFor(m_modeDone->Get(), timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    // Give the turn back to the next request.
    m_modeDone->Signal();
    return true;
}

bool CpuPowerMonitor::OcStatusTimerEnabled() const
{
    return m_ocStatusTimer && m_ocStatusTimer->Enabled();
}

void CpuPowerMonitor::PollAutoState()
{
    PowerGear& gear = PowerGear::Instance();
    const uint32_t load = static_cast<uint32_t>(gear.GetIcpu());
    int t1 = 0, t2 = 0, t3 = 0;
    gear.Thresholds().Get(t1, t2, t3);
    int status = kAutoPerformance;
    if (load < static_cast<uint32_t>(t1)) {
        status = kAutoSaving;
    } else if (load > static_cast<uint32_t>(t2)) {
        status = kAutoPerformance;
    }
    gear.SetItem(item::kGearLevel,
                 status == kAutoPerformance ? kAutoPerformanceItem : kAutoSavingItem);
    if (status != m_autoState) {
        m_autoState = status;
        NotifyStatusChanged();
        controller_link::RefreshAutoState();
    }
    TraceLog("~~~[PollingOcStatus] OC Status %d", status);
}

void CpuPowerMonitor::NotifyStatusChanged()
{
    const int index = SavingIndex();
    if (m_autoSupported) {
        PushModeToCard();
    }
    if (m_changeListener) {
        m_changeListener(index, m_cardModeIndex);
    }
}

void CpuPowerMonitor::GetGearParameters(int gear, int32_t& a, int32_t& b, int32_t& c,
                                        int32_t& d) const
{
    const GearParameters::Values values = m_parameters.Get(gear);
    a = values.a;
    b = values.b;
    c = values.c;
    d = values.d;
}

void CpuPowerMonitor::SetGearParameters(int gear, int32_t b, int32_t c)
{
    m_parameters.Set(gear, b, c);
}

} // namespace tv
