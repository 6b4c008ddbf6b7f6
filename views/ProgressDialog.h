#pragma once
// Timed progress bar with a message and Cancel, shown modally. Its timer ticks every
// duration / step count milliseconds; tick k (1 .. step count) fires the step event with k and
// draws k * 100 / step count percent; the tick after the last step closes with 1. Cancel and the
// close button close with 2, and no step follows.
#include "views/SkinDialog.h"

#include <functional>

namespace lumo {
class TTimer;
}

namespace tv {

class TProgressDialog : public TSkinDialog
{
public:
    LUMO_CLASS_NAME(TProgressDialog)
    static constexpr unsigned kDefaultDurationMs = 3500;
    static constexpr int kDefaultStepCount = 100;
    // The bar's full width.
    static constexpr int kBarWidth = 353;

    explicit TProgressDialog(lumo::TComponent* owner);

    void ApplyTexts(const TextLookup& lookup) override;

    // Set before showing; the counters restart on every show.
    void SetMessage(const std::string& text);
    void SetDuration(unsigned ms) { m_durationMs = ms; }
    unsigned Duration() const { return m_durationMs; }
    void SetStepCount(int steps) { m_stepCount = steps; }
    int StepCount() const { return m_stepCount; }
    // Called with the step number, 1 first.
    std::function<void(int step)> OnStep;

    int CurrentStep() const { return m_step; }
    // The timer's interval for the current duration and step count (at least 1 ms).
    unsigned Interval() const;
    // Draws the bar at percent (0 .. 100).
    void DrawBar(int percent);
    // The width of the bar as drawn last.
    int BarWidth() const;

    lumo::TLabel& MessageLabel() { return *m_message; }
    TDialogButton& CancelButton() { return *m_cancel; }
    lumo::TImage& ProgressBar() { return *m_bar; }

    KdButton* DefaultButton() override;

protected:
    void DoShow() override;
    void DoHide() override;

private:
    void Tick();

    lumo::TLabel* m_message;
    lumo::TImage* m_bar;
    lumo::TImage* m_head;
    lumo::TImage* m_body;
    lumo::TImage* m_tail;
    TDialogButton* m_cancel;
    lumo::TTimer* m_timer;
    unsigned m_durationMs = kDefaultDurationMs;
    int m_stepCount = kDefaultStepCount;
    int m_step = 0;
};

} // namespace tv
