#pragma once
// The small pop-up that shows a control's hint.
#include "lumo/Forms/WinControl.h"

namespace lumo {

class THintWindow : public TWinControl
{
public:
    LUMO_CLASS_NAME(THintWindow)
    explicit THintWindow(TComponent* owner);

    // Shows text with its top-left corner at the screen point, without activating.
    void ActivateHint(POINT screenPoint, const std::string& text);
    void ReleaseHint();

    void Paint(TCanvas& canvas) override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
};

} // namespace lumo
