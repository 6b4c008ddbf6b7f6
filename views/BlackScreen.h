#pragma once
// Full-screen black window of the idle doze: topmost, a tool window (no taskbar button), no
// controls. Its controller takes over its mouse and key events.
#include "lumo/Forms/Form.h"

#include <functional>

namespace tv {

class TBlackScreen : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TBlackScreen)
    explicit TBlackScreen(lumo::TComponent* owner);

    // The window was hidden, by whatever hid it (the controller's own leave included).
    std::function<void()> OnHidden;

    void WndProc(lumo::TMessage& message) override;
};

} // namespace tv
