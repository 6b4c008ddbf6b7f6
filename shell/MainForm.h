#pragma once
// The main window (window class "TMainForm", caption "Hexavolt"): hidden in the tray after
// start, shown on request of a peer or a second instance, closed by peer message 1024.
#include "lumo/Forms/Form.h"

namespace tv {

class TMainForm : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TMainForm)
    explicit TMainForm(lumo::TComponent* owner);
    ~TMainForm() override;

    // Makes the main window visible, restores the application and brings the window forward.
    void ShowMainWindow();
    // Brings a window to the foreground even when another process holds the foreground.
    static void ForceForeground(HWND window);

    // The registered "WM_KALDO_BROADCAST_MESSAGE" (0 when registering failed).
    UINT BroadcastMessage() const { return m_broadcastMessage; }

    void WndProc(lumo::TMessage& message) override;

protected:
    void DoClose(lumo::TCloseAction& action) override;

private:
    bool ApplicationHook(lumo::TMessage& message);

    UINT m_broadcastMessage = 0;
    int m_hookId = 0;
};

} // namespace tv
