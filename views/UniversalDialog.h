#pragma once
// Message with a left and a right button, shown modally: the left button closes with 1, the right
// one and the close button with 2. The caller sets the message, both captions and whether the
// left button shows before each ShowModal.
#include "views/SkinDialog.h"

namespace tv {

class TUniversalDialog : public TSkinDialog
{
public:
    LUMO_CLASS_NAME(TUniversalDialog)
    explicit TUniversalDialog(lumo::TComponent* owner);

    // The message, fitted to the body: at its design place when it fits there, else centred in
    // the body with the largest font that fits.
    void SetMessage(const std::string& text);
    const std::string& Message() const { return m_message->Caption(); }
    void SetLeftButton(bool visible, const std::string& caption);
    void SetRightCaption(const std::string& caption);

    lumo::TLabel& MessageLabel() { return *m_message; }
    TDialogButton& LeftButton() { return *m_left; }
    TDialogButton& RightButton() { return *m_right; }

    // The left button while it shows, else the right one.
    KdButton* DefaultButton() override;

private:
    lumo::TLabel* m_message;
    TDialogButton* m_left;
    TDialogButton* m_right;
};

} // namespace tv
