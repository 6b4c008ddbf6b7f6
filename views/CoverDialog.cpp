#include "views/CoverDialog.h"

#include "lumo/System/Source/TraceLog.h"

namespace tv {

TCoverDialog::TCoverDialog(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetName("CoverDialog");
    SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    SetBorderIcons(0);
    SetScaled(false);
    m_background = new lumo::TImage(this);
    m_background->SetName("Background");
    m_background->SetParent(this);
    m_background->SetAutoSize(true);
}

TCoverDialog::~TCoverDialog()
{
    m_flicker.Detach();
    m_shaper.Detach();
}

void TCoverDialog::DimmedCopy(const lumo::TBitmap& source, lumo::TBitmap& copy)
{
    copy.Assign(source);
    copy.SetTransparent(false);
    if (copy.Empty()) {
        return;
    }
    const lumo::TColor key = source.PixelColor(0, source.Height() - 1);
    copy.SetPixelFormat(lumo::TPixelFormat::pf24bit);
    const BYTE dim[3] = {static_cast<BYTE>((kCoverColor >> 16) & 0xFF),
                         static_cast<BYTE>((kCoverColor >> 8) & 0xFF),
                         static_cast<BYTE>(kCoverColor & 0xFF)};
    const BYTE keyed[3] = {static_cast<BYTE>((key >> 16) & 0xFF),
                           static_cast<BYTE>((key >> 8) & 0xFF), static_cast<BYTE>(key & 0xFF)};
    for (int y = 0; y < copy.Height(); ++y) {
        BYTE* pixel = copy.ScanLine(y);
        for (int x = 0; x < copy.Width(); ++x, pixel += 3) {
            if (pixel[0] != keyed[0] || pixel[1] != keyed[1] || pixel[2] != keyed[2]) {
                pixel[0] = dim[0];
                pixel[1] = dim[1];
                pixel[2] = dim[2];
            }
        }
    }
    copy.SetTransparentMode(lumo::TTransparentMode::tmAuto);
    copy.Changed();
}

void TCoverDialog::Prepare(lumo::TForm& mainForm, lumo::TImage& mainBackground)
{
    m_mainForm = &mainForm;
    m_mainBackground = &mainBackground;
    SetOwnerWindow(mainForm.Handle());
    Rebuild();
    if (!m_shaper.IsAttached()) {
        m_shaper.Attach(m_background);
        m_shaper.EnableDragging(false);
        m_shaper.SetAlpha(kCoverAlpha);
    }
    // The cover's own window: its erase would paint the whole shape before the copy does.
    if (!m_flicker.IsAttached()) {
        m_flicker.Attach(*this);
    }
    // Made again at each show, from the background the main window has then.
    m_background->Picture().Clear();
}

void TCoverDialog::Rebuild()
{
    DimmedCopy(m_mainBackground->Picture(), m_background->Picture());
}

void TCoverDialog::SetVisible(bool visible)
{
    if (visible && !Prepared()) {
        TraceLog("~~~[TCoverDialog] shown before it was prepared: stays hidden");
        return;
    }
    lumo::TForm::SetVisible(visible);
}

void TCoverDialog::DoShow()
{
    Rebuild();
    // Size and outline of the copy, then the key and the constant alpha together.
    m_shaper.Reapply();
    m_shaper.SetUseAlpha(true);
    SetBounds(m_mainForm->Left(), m_mainForm->Top(), Width(), Height());
    lumo::TForm::DoShow();
}

void TCoverDialog::DoHide()
{
    lumo::TForm::DoHide();
    // A screen-sized copy has no use while the cover is hidden, mostly for good.
    m_background->Picture().Clear();
}

} // namespace tv
