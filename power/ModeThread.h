#pragma once
// The worker that applies one power mode: gear level, graphics card, the profile's side settings
// and the Windows power scheme. One runs at a time as the power monitor starts them; it frees
// itself when its body has ended.
#include "lumo/Forms/Thread.h"
#include "lumo/System/Source/Owners.h"

#include <cstdint>
#include <memory>

namespace tv {

class TSetPowerGearThread : public lumo::TThread
{
public:
    LUMO_CLASS_NAME(TSetPowerGearThread)

    // Created suspended. mode: already normalised. apply: the full change (level, card, profile
    // side settings), else the level only. controllerType chooses the power-scheme step.
    TSetPowerGearThread(int mode, bool apply, uint32_t controllerType);

    int Mode() const { return m_mode; }
    bool Apply() const { return m_apply; }
    // The graphics card is told the mode of a full change; always true as created.
    bool SetVga() const { return m_setVga; }

    // Bodies run in the order their threads were started. A thread that ApplyMode starts after
    // its bounded wait gave up would otherwise run beside the body before it, and whichever
    // ended last would leave its side settings (and "Gear_Flag") over the newer mode's: the
    // body waits for previousDone first and sets ownDone (manual-reset events) when it ends.
    void SetTurn(std::shared_ptr<lumo::KernelHandle> previousDone,
                 std::shared_ptr<lumo::KernelHandle> ownDone);

protected:
    // The body: "Gear_Flag" set, the level (and for a full change the card and the profile side
    // settings), the power-scheme step on families F and 7, "Gear_Flag" cleared.
    void Execute() override;

private:
    int m_mode;
    bool m_apply;
    bool m_setVga = true;
    uint32_t m_controllerType;
    std::shared_ptr<lumo::KernelHandle> m_previousDone;
    std::shared_ptr<lumo::KernelHandle> m_ownDone;
};

// How long a body waits for the one before it; every step of a body is bounded well below it.
inline constexpr DWORD kBodyTurnWaitMs = 60000;

// Profiles with a shorter idle time leave the idle watcher off.
inline constexpr int32_t kMinIdleTimeoutMs = 60000;

} // namespace tv
