#include "power/ModeThread.h"

#include "ipc/QemPipeClient.h"
#include "lumo/System/Source/TraceLog.h"
#include "power/AdvanceSettings.h"
#include "power/ControllerType.h"
#include "power/KFanLib.h"
#include "power/PowerGear.h"
#include "power/PowerSchemeStep.h"
#include "power/RecoveryFlags.h"
#include "power/SpindownTimeoutLib.h"
#include "shell/base/ControllerLink.h"
#include "shell/base/IdleWatcher.h"

namespace tv {
namespace {

// Fans whose BIOS control is off get the program's quiet settings; the others stay the BIOS's.
void QuietFans(int mode)
{
    KFanLib& fans = KFanLib::Instance();
    const int cpuMode = fans.CpuFanMode();
    const int chassisMode = fans.ChassisFanMode();
    if (cpuMode == KFanLib::kNoBiosControl) {
        const KFanLib::Curve curve = fans.GetCurveSet(KFanLib::kUserCurve);
        fans.SetCpuFanUserMode(curve);
        TraceLog("~~~Set CPU Fan User mode for Opti Gear %x %x %x %x %x %x", curve[0], curve[1],
                 curve[2], curve[3], curve[4], curve[5]);
    }
    if (chassisMode == KFanLib::kNoBiosControl) {
        if (mode == kGearMaxSaving) {
            fans.SetChassisFanOff();
        } else {
            const KFanLib::ChassisPair pair = fans.GetChassisPair(1);
            fans.SetChassisFanSilent(pair[0], pair[1]);
            TraceLog("~~~Set Chassis Fan Silent mode for Opti Gear %x %x ", pair[0], pair[1]);
        }
    }
}

void RestoreFans()
{
    KFanLib& fans = KFanLib::Instance();
    const int cpuMode = fans.CpuFanMode();
    const int chassisMode = fans.ChassisFanMode();
    if (cpuMode == KFanLib::kNoBiosControl) {
        fans.RestoreCpuFan();
    }
    if (chassisMode == KFanLib::kNoBiosControl) {
        fans.RestoreChassisFan();
    }
}

// The profile side settings of a full change, in their order: disk spin-down, idle watcher, fans.
void ApplyProfileSideSettings(int mode)
{
    const ModeProfile profile =
        AdvanceSettings::Instance().GetProfile(ProfileIndexFromGearLevel(mode));
    SpindownTimeoutLib::Instance().SetSpindownTimeout(static_cast<DWORD>(profile.spinDownTimeout));
    if (profile.optiDozeIdleTimeout >= kMinIdleTimeoutMs) {
        IdleWatcher::Instance().Restart(static_cast<DWORD>(profile.optiDozeIdleTimeout));
    } else {
        IdleWatcher::Instance().Disable();
    }
    if (!PowerGear::Instance().IsKFanThreeSupported()) {
        return;
    }
    if (profile.fan != 0) {
        QuietFans(mode);
    } else {
        RestoreFans();
    }
}

} // namespace

TSetPowerGearThread::TSetPowerGearThread(int mode, bool apply, uint32_t controllerType)
    : lumo::TThread(true), m_mode(mode), m_apply(apply), m_controllerType(controllerType)
{}

void TSetPowerGearThread::SetTurn(std::shared_ptr<lumo::KernelHandle> previousDone,
                                  std::shared_ptr<lumo::KernelHandle> ownDone)
{
    m_previousDone = std::move(previousDone);
    m_ownDone = std::move(ownDone);
}

void TSetPowerGearThread::Execute()
{
    if (m_previousDone && *m_previousDone &&
        WaitForSingleObject(m_previousDone->Get(), kBodyTurnWaitMs) != WAIT_OBJECT_0) {
        TraceLog("~~~[Opti Gear] mode %x: the change before it did not end, applied anyway",
                 m_mode);
    }
    // Only the turn before this one is kept alive, not the whole chain.
    m_previousDone.reset();
    struct TurnEnd
    {
        std::shared_ptr<lumo::KernelHandle>& done;
        ~TurnEnd()
        {
            if (done && *done) {
                SetEvent(done->Get());
            }
        }
    } turnEnd{m_ownDone};
    const int mode = m_mode;
    // Seen at the next start if the change is cut short.
    SetRecoveryFlag(RecoveryFlag::Gear);
    PowerGear& gear = PowerGear::Instance();
    if (m_apply) {
        gear.SetLevel(mode);
        if (m_setVga && !QemPipeClient::Instance().SetCardMode(mode)) {
            TraceLog("~~~[Opti Gear] Can not Set mode to VGA %x", mode);
        }
        ApplyProfileSideSettings(mode);
    } else {
        gear.SetLevelItem(mode);
        controller_link::RefreshTray();
    }
    if (controller::IsFFamily(m_controllerType) || controller::Is7Family(m_controllerType)) {
        PowerSchemeStep::Instance().Apply(mode);
    }
    ClearRecoveryFlag(RecoveryFlag::Gear);
}

} // namespace tv
