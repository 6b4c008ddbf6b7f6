#pragma once
// The application object: a hidden application window, the title, the forms in creation order
// (the first is the main form), the message loop, minimising and restoring all forms, hooks on
// the application window, hints, and the standard display of framework exceptions.
#include "lumo/Forms/Exception.h"
#include "lumo/Forms/Form.h"

#include <memory>
#include <string>
#include <vector>

namespace lumo {

class THintWindow;

class TApplication : public TComponent
{
public:
    LUMO_CLASS_NAME(TApplication)
    // One application at a time; it becomes Application() and makes the calling thread the GUI
    // thread. Its hidden window (class "TApplication") exists from here on.
    TApplication();
    ~TApplication() override;

    HWND Handle() const { return m_handle; }
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& title);
    // Whether Run shows the main form (default true).
    bool ShowMainForm() const { return m_showMainForm; }
    void SetShowMainForm(bool show) { m_showMainForm = show; }

    // Creates a form owned by the application, hidden, with its window; the first form created
    // this way becomes the main form.
    template <typename T> T* CreateForm()
    {
        T* form = new T(this);
        if (!m_mainForm) {
            m_mainForm = form;
        }
        form->HandleNeeded();
        return form;
    }
    TForm* MainForm() const { return m_mainForm; }
    // Every live form, in creation order.
    const std::vector<TForm*>& Forms() const { return m_forms; }

    // Shows the main form unless ShowMainForm is false, then handles messages until the
    // application is terminated (closing the main form does that).
    void Run();
    void Terminate();
    bool Terminated() const { return m_terminated; }
    // Waits for one message and handles it; false once the application is terminated.
    bool HandleMessage();
    // Handles every message waiting now.
    void ProcessMessages();

    // Hides every visible form (remembering them) / shows them again.
    void Minimize();
    void Restore();
    bool IsMinimized() const { return m_minimized; }

    // A hook sees every message that reaches the application window, before the window's own
    // handling; returning true marks the message handled (message.Result is the answer).
    using THookProc = std::function<bool(TMessage& message)>;
    int HookMainWindow(THookProc hook);
    void UnhookMainWindow(int id);

    // Sees each message the loop takes from the queue; handled = true drops it.
    std::function<void(MSG& message, bool& handled)> OnMessage;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    // Replaces the standard display of framework exceptions caught in the message loop.
    std::function<void(TObject* sender, const Exception& error)> OnException;

    // The standard exception display: a message box (stop icon, OK) with the exception's text
    // and the application title as caption.
    void ShowException(const Exception& error);
    // What the framework does with a framework exception caught while handling a message.
    void HandleException(const Exception& error);
    // The same display without an application object.
    static void ShowExceptionMessage(const Exception& error, const std::string& title);

    // Hints: shown HintPause ms after the pointer came to rest on a control with a hint,
    // hidden after HintHidePause ms, on leaving, on a mouse press and on deactivation.
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool show);
    unsigned HintPause() const { return m_hintPause; }
    void SetHintPause(unsigned ms) { m_hintPause = ms; }
    unsigned HintHidePause() const { return m_hintHidePause; }
    void SetHintHidePause(unsigned ms) { m_hintHidePause = ms; }
    void CancelHint();
    // The hint window while a hint is shown, else null.
    HWND HintWindowHandle() const;

    // Framework notifications.
    void HintMouseEnter(TControl* control);
    void HintMouseLeave(TControl* control);
    void ControlDestroyed(TControl* control);
    void AddForm(TForm* form);
    void RemoveForm(TForm* form);
    void ApplicationActivated(bool active);

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void WndProc(TMessage& message);
    bool IsKeyMessage(MSG& message);
    void DispatchOne(MSG& message);
    void ActivateHint();

    HWND m_handle = nullptr;
    std::string m_title;
    bool m_showMainForm = true;
    TForm* m_mainForm = nullptr;
    std::vector<TForm*> m_forms;
    bool m_terminated = false;
    bool m_minimized = false;
    std::vector<TForm*> m_hiddenByMinimize;
    struct Hook
    {
        int id;
        THookProc proc;
    };
    std::vector<Hook> m_hooks;
    int m_nextHookId = 1;
    bool m_showHint = true;
    unsigned m_hintPause = 500;
    unsigned m_hintHidePause = 2500;
    TControl* m_hintControl = nullptr;
    THintWindow* m_hintWindow = nullptr;
};

// The application object, or null when there is none.
TApplication* Application();

// Waits for one message of the calling thread and handles it (through the application when
// there is one). False when the message loop has to end (WM_QUIT, or the application is
// terminated); without an application the WM_QUIT is put back for the outer loop.
bool PumpMessage();

// Catch point of framework exceptions raised while a message is handled.
void HandleFrameworkException(const Exception& error);

} // namespace lumo
