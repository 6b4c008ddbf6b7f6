#include "lumo/Component/LED/KdNumLed.h"

KdNumLed::KdNumLed(lumo::TComponent* owner)
    : lumo::TGraphicControl(owner), m_imp(std::make_unique<lumo::KdNumLed_imp>())
{
    const lumo::FigureBase* row = m_imp->Figure();
    SetBounds(0, 0, row->OriginalWidth(), row->OriginalHeight());
}

KdNumLed::~KdNumLed() = default;

void KdNumLed::SetBounds(int left, int top, int width, int height)
{
    // A move keeps the size asked for before: fitting a fitted size again could shrink it.
    if (width != Width() || height != Height() || m_requestedWidth == 0 || m_requestedHeight == 0) {
        m_requestedWidth = width;
        m_requestedHeight = height;
    }
    Place(left, top);
}

void KdNumLed::Place(int left, int top)
{
    int width = m_requestedWidth;
    int height = m_requestedHeight;
    if (m_keepRatio) {
        SIZE fitted = m_imp->KeepRatioSize(width, height);
        width = fitted.cx;
        height = fitted.cy;
    }
    m_imp->Resize(width, height);
    lumo::TGraphicControl::SetBounds(left, top, width, height);
    Refresh();
}

void KdNumLed::Refresh()
{
    if (m_imp->NeedsPaint()) {
        Repaint();
    }
}

void KdNumLed::Repaint()
{
    m_imp->Paint();
    Invalidate();
}

void KdNumLed::SetFormat(const std::string& format)
{
    if (format == m_imp->Format()) {
        return;
    }
    if (m_imp->SetFormat(format)) {
        Place(Left(), Top());
        Repaint();
    }
}

void KdNumLed::SetZeroLeading(bool zeroLeading)
{
    m_imp->SetZeroLeading(zeroLeading);
    Refresh();
}

void KdNumLed::SetLedColors(const KdLedColors& colors)
{
    m_imp->SetColors(colors);
    Refresh();
}

void KdNumLed::SetTransparent(bool transparent)
{
    m_imp->SetTransparent(transparent);
    Refresh();
}

void KdNumLed::SetKeepRatio(bool keepRatio)
{
    if (keepRatio != m_keepRatio) {
        m_keepRatio = keepRatio;
        Place(Left(), Top());
    }
}

bool KdNumLed::SetValue(double value)
{
    bool accepted = m_imp->SetValue(value);
    Refresh();
    return accepted;
}

bool KdNumLed::SetValue(const SYSTEMTIME& value)
{
    bool accepted = m_imp->SetValue(value);
    Refresh();
    return accepted;
}

void KdNumLed::On(int number)
{
    m_imp->SetOn(number, true);
    Refresh();
}

void KdNumLed::Off(int number)
{
    m_imp->SetOn(number, false);
    Refresh();
}

void KdNumLed::Paint(lumo::TCanvas& canvas)
{
    if (m_imp->NeedsPaint()) {
        m_imp->Paint();
    }
    canvas.Draw(0, 0, m_imp->Image());
}
