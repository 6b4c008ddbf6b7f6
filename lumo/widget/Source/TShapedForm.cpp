#include "lumo/widget/Source/TShapedForm.h"

#include "lumo/Graphics/Region.h"
#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/MessageBox.h"

namespace lumo {

TWindowMover::TWindowMover(TForm& form, TImage& image) : m_form(form), m_image(image)
{
    SetEnabled(true);
}

TWindowMover::~TWindowMover()
{
    SetEnabled(false);
}

void TWindowMover::SetEnabled(bool enabled)
{
    if (enabled == m_installed) {
        return;
    }
    m_installed = enabled;
    if (enabled) {
        m_previous = m_image.OnMouseDown;
        m_image.OnMouseDown = [this](TObject* sender, TMouseButton button, TShiftState shift, int x,
                                     int y) { MouseDown(sender, button, shift, x, y); };
    } else {
        m_image.OnMouseDown = m_previous;
        m_previous = nullptr;
    }
}

void TWindowMover::MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == TMouseButton::mbLeft && m_form.HandleAllocated()) {
        // The system moves the window while the button is held, as if the caption were held.
        ReleaseCapture();
        DWORD position = GetMessagePos();
        SendMessageA(m_form.Handle(), WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(position));
    }
    if (m_previous) {
        m_previous(sender, button, shift, x, y);
    }
}

TShapedFormMaker::~TShapedFormMaker()
{
    // A derived maker has detached in its own destructor already.
    Detach();
}

bool TShapedFormMaker::Attach(TImage* image)
{
    LUMO_ASSERT(!IsAttached());
    if (!image) {
        return false;
    }
    TForm* form = nullptr;
    for (TWinControl* parent = image->Parent(); parent && !form; parent = parent->Parent()) {
        form = dynamic_cast<TForm*>(parent);
    }
    if (!form) {
        return false;
    }
    m_form = form;
    m_image = image;
    Prepare();
    m_image->Picture().SetTransparentMode(TTransparentMode::tmAuto);
    SetColorKey(m_image->Picture().TransparentColor());
    m_mover = CreateWindowMover();
    if (!m_mover) {
        m_mover = std::make_unique<TWindowMover>(*m_form, *m_image);
    }
    Apply(*m_form, *m_image);
    return true;
}

void TShapedFormMaker::Detach()
{
    if (!IsAttached()) {
        return;
    }
    Remove(*m_form);
    m_mover.reset();
    m_form = nullptr;
    m_image = nullptr;
}

void TShapedFormMaker::Reapply()
{
    if (!IsAttached()) {
        return;
    }
    Prepare();
    Apply(*m_form, *m_image);
}

void TShapedFormMaker::EnableDragging(bool enabled)
{
    if (m_mover) {
        m_mover->SetEnabled(enabled);
    }
}

void TShapedFormMaker::Prepare()
{
    m_form->SetBorderStyle(TFormBorderStyle::bsNone);
    if (m_form->Scaled()) {
        // A designer's warning: the outline would no longer match a scaled form.
        ShowMessageBox(m_form->HandleAllocated() ? m_form->Handle() : nullptr,
                       "Scaled is not set false", m_form->Name().c_str(), MB_OK);
        AssertionFailed("m_form->Scaled == false", __FILE__, __LINE__);
    }
    m_image->SetAutoSize(true);
    m_form->SetClientSize(m_image->Width(), m_image->Height());
}

void TShapedFormMaker::Apply(TForm& form, TImage& image)
{
    WinRegion region;
    region.BuildFromBitmap(image.Picture(), GetColorKey());
    OffsetRgn(region.Handle(), image.Left(), image.Top());
    region.ApplyToWindow(form.Handle(), true);
}

void TShapedFormMaker::Remove(TForm& form)
{
    if (form.HandleAllocated()) {
        SetWindowRgn(form.Handle(), nullptr, TRUE);
    }
}

TLayeredFormMaker::TLayeredFormMaker()
{
    m_layered.SetUseColorKey(m_layered.IsEnabled());
}

TLayeredFormMaker::~TLayeredFormMaker()
{
    Detach();
}

void TLayeredFormMaker::SetUseAlpha(bool use)
{
    m_layered.SetUseAlpha(use);
    Reapply();
}

void TLayeredFormMaker::SetAlpha(BYTE alpha)
{
    if (alpha == m_layered.Alpha()) {
        return;
    }
    m_layered.SetAlpha(alpha);
    if (IsAttached() && m_layered.UseAlpha() && m_layered.IsEnabled()) {
        m_layered.Apply(Form()->Handle());
    }
}

void TLayeredFormMaker::Apply(TForm& form, TImage& image)
{
    if (!m_layered.IsEnabled()) {
        TShapedFormMaker::Apply(form, image);
        return;
    }
    form.SetColor(GetColorKey());
    m_layered.Apply(form.Handle());
}

void TLayeredFormMaker::Remove(TForm& form)
{
    if (!m_layered.IsEnabled()) {
        TShapedFormMaker::Remove(form);
        return;
    }
    if (form.HandleAllocated()) {
        m_layered.Remove(form.Handle(), true);
    }
}

} // namespace lumo
