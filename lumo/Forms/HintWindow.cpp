#include "lumo/Forms/HintWindow.h"

#include "lumo/Forms/Application.h"

#include <algorithm>

namespace lumo {
namespace {

constexpr int kMargin = 3;
constexpr int kMaxWidth = 300;

} // namespace

THintWindow::THintWindow(TComponent* owner) : TWinControl(owner)
{
    m_visible = false;
    SetColor(clInfoBk);
    Font().SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = Application() ? Application()->Handle() : nullptr;
}

void THintWindow::ActivateHint(POINT screenPoint, const std::string& text)
{
    SetCaption(text);
    HandleNeeded();
    RECT textRect = {0, 0, kMaxWidth, 0};
    {
        WindowDC screen(nullptr);
        TCanvas canvas(screen.Get());
        canvas.Font().Assign(Font());
        canvas.DrawText(text, textRect, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    int width = textRect.right + 2 * kMargin + 2;
    int height = textRect.bottom + 2 * kMargin + 2;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int left = std::min<int>(screenPoint.x, screenWidth - width);
    int top = std::min<int>(screenPoint.y, screenHeight - height);
    m_visible = true;
    SetWindowPos(Handle(), HWND_TOPMOST, std::max(left, 0), std::max(top, 0), width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateBoundsFromWindow();
    Invalidate();
}

void THintWindow::ReleaseHint()
{
    SetVisible(false);
}

void THintWindow::Paint(TCanvas& canvas)
{
    RECT rect = ClientRect();
    InflateRect(&rect, -kMargin, -kMargin);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.DrawText(Caption(), rect, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::WndProc(TMessage& message)
{
    if (message.Msg == WM_NCHITTEST) {
        // Clicks go to whatever lies below the hint.
        message.Result = HTTRANSPARENT;
        return;
    }
    TWinControl::WndProc(message);
}

} // namespace lumo
