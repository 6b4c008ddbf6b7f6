#include "views/BlackScreen.h"

namespace tv {

TBlackScreen::TBlackScreen(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("BlackScreen");
    SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    SetBorderIcons(0);
    SetScaled(false);
    SetColor(lumo::clBlack);
    ChangeExStyle(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_EX_APPWINDOW);
}

void TBlackScreen::WndProc(lumo::TMessage& message)
{
    if (message.Msg == WM_SHOWWINDOW && !message.WParam) {
        lumo::TForm::WndProc(message);
        if (OnHidden && !IsDestroying()) {
            OnHidden();
        }
        return;
    }
    lumo::TForm::WndProc(message);
}

} // namespace tv
