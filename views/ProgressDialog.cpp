#include "views/ProgressDialog.h"

#include "lumo/Forms/Timer.h"
#include "shell/base/Translate.h"

#include <algorithm>

namespace tv {
namespace {

constexpr int kWidth = 421;
constexpr int kHeight = 142;
constexpr int kBarLeft = 34;
constexpr int kBarTop = 68;
constexpr int kBarHeight = 18;

// A hidden holder of one piece of the bar; a plain piece when the art is missing.
lumo::TImage* AddPiece(lumo::TForm* form, const char* name, int width, lumo::TColor color)
{
    auto* piece = new lumo::TImage(form);
    piece->SetName(name);
    piece->SetParent(form);
    piece->SetVisible(false);
    if (!TSkinDialog::LoadArt(piece->Picture(), name)) {
        lumo::TBitmap& picture = piece->Picture();
        picture.SetSize(width, kBarHeight);
        picture.Canvas().Brush().SetColor(color);
        picture.Canvas().FillRect(RECT{0, 0, width, kBarHeight});
    }
    piece->SetAutoSize(true);
    return piece;
}

} // namespace

TProgressDialog::TProgressDialog(lumo::TComponent* owner)
    : TSkinDialog(owner, "ProgressDialog", skinart::kProgressBk, kWidth, kHeight)
{
    SetPosition(lumo::TPosition::poScreenCenter);
    m_message = AddLabel("Message", 39, 42, kBarWidth, 16, 12, true,
                         static_cast<lumo::TColor>(skinart::kDialogText), false);
    m_head = AddPiece(this, skinart::kProgressBarHead, 10, 0xE0A040);
    m_body = AddPiece(this, skinart::kProgressBarBody, 10, 0xD09030);
    m_tail = AddPiece(this, skinart::kProgressBarTail, 8, 0xE0A040);

    m_bar = new lumo::TImage(this);
    m_bar->SetName("ProgressBar");
    m_bar->SetParent(this);
    m_bar->Picture().SetSize(kBarWidth, std::max(m_head->Picture().Height(), 1));

    m_cancel =
        AddTextButton("CancelButton", skinart::kDialogButton, 272, 104, 130, 34, lumo::mrCancel);

    m_timer = new lumo::TTimer(this);
    m_timer->SetEnabled(false);
    m_timer->OnTimer = [this](lumo::TObject*) { Tick(); };

    ApplyTexts(Translate);
    Shape();
    DrawBar(0);
}

void TProgressDialog::ApplyTexts(const TextLookup& lookup)
{
    SetMessage(lookup("Calibrating, please wait..."));
    m_cancel->SetText(lookup("Cancel"));
}

void TProgressDialog::SetMessage(const std::string& text)
{
    m_message->SetCaption(text);
}

unsigned TProgressDialog::Interval() const
{
    if (m_stepCount <= 0) {
        return std::max(m_durationMs, 1u);
    }
    // A duration shorter than the step count would make an interval of 0, which never ticks.
    return std::max(m_durationMs / static_cast<unsigned>(m_stepCount), 1u);
}

void TProgressDialog::DrawBar(int percent)
{
    percent = std::clamp(percent, 0, 100);
    const int w = percent * kBarWidth / 100;
    lumo::TBitmap& head = m_head->Picture();
    lumo::TBitmap& body = m_body->Picture();
    lumo::TBitmap& tail = m_tail->Picture();
    if (w < head.Width()) {
        m_bar->SetBounds(kBarLeft, kBarTop, 0, kBarHeight);
        return;
    }
    lumo::TCanvas& canvas = m_bar->Picture().Canvas();
    canvas.Draw(0, 0, head);
    canvas.StretchDraw(RECT{head.Width(), 0, w, head.Height()}, body);
    if (w > kBarWidth - 1) {
        canvas.Draw(kBarWidth - tail.Width(), 0, tail);
    }
    m_bar->SetBounds(kBarLeft, kBarTop, w, kBarHeight);
    m_bar->Invalidate();
}

int TProgressDialog::BarWidth() const
{
    return m_bar->Width();
}

KdButton* TProgressDialog::DefaultButton()
{
    return m_cancel;
}

void TProgressDialog::DoShow()
{
    m_step = 0;
    DrawBar(0);
    m_timer->SetInterval(Interval());
    m_timer->SetEnabled(true);
    TSkinDialog::DoShow();
}

void TProgressDialog::DoHide()
{
    m_timer->SetEnabled(false);
    TSkinDialog::DoHide();
}

void TProgressDialog::Tick()
{
    m_timer->SetEnabled(false);
    if (!Visible() || (IsModal() && ModalResult() != lumo::mrNone)) {
        // Closing already: no step after a cancel.
        return;
    }
    ++m_step;
    if (m_step > m_stepCount) {
        SetModalResult(lumo::mrOk);
        if (!IsModal()) {
            Hide();
        }
        return;
    }
    if (OnStep) {
        OnStep(m_step);
    }
    DrawBar(m_step * 100 / m_stepCount);
    // A step may have cancelled the dialog meanwhile (its waits handle input).
    if (Visible() && !(IsModal() && ModalResult() != lumo::mrNone)) {
        m_timer->SetEnabled(true);
    }
}

} // namespace tv
