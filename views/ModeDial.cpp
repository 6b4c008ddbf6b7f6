#include "views/ModeDial.h"

#include "lumo/Forms/Exception.h"
#include "lumo/Forms/Form.h"
#include "lumo/Graphics/Filters/PixelFilters.h"
#include "lumo/Kd/KdRadioButton.h"
#include "lumo/System/Source/TraceLog.h"
#include "views/PngLoader.h"

#include <utility>

namespace tv {
namespace {

constexpr int kGearLefts[ModeDial::kIndexCount] = {51, 106, 161, 214, 267};
constexpr int kIndexHighPerformance = 2;

bool ReadPicture(const std::string& path, lumo::TBitmap& picture)
{
    try {
        if (PngLoader::Instance().Read(path, picture)) {
            return true;
        }
    } catch (const lumo::Exception& error) {
        TraceLog("[ModeDial] %s", error.what());
    }
    picture.Clear();
    picture.SetPixelFormat(lumo::TPixelFormat::pf32bit);
    return false;
}

} // namespace

bool ModeDial::LoadPictures(const std::string& folder, Pictures& pictures)
{
    static const char* const kProfiles[kIndexCount] = {"auto_b.png", "turbo_b.png", "normal_b.png",
                                                       "medium_b.png", "low_b.png"};
    static const char* const kHighlights[kIndexCount] = {
        "auto_a.png", "turbo_a.png", "normal_a.png", "medium_a.png", "low_a.png"};
    bool complete = ReadPicture(folder + "gear.png", pictures.gear);
    complete = ReadPicture(folder + "pentagon.png", pictures.pentagon) && complete;
    complete = ReadPicture(folder + "line.png", pictures.line) && complete;
    complete = ReadPicture(folder + "mask.png", pictures.mask) && complete;
    for (int index = 0; index < kIndexCount; ++index) {
        complete = ReadPicture(folder + kProfiles[index], pictures.profile[index]) && complete;
        complete = ReadPicture(folder + kHighlights[index], pictures.highlight[index]) && complete;
    }
    return complete;
}

int ModeDial::DialIndex(int mode)
{
    switch (mode) {
    case 0x8000:
        return 0;
    case 0x4000:
        return 1;
    case 1:
        return 3;
    case 2:
        return 4;
    default:
        return kIndexHighPerformance;
    }
}

int ModeDial::GearLeft(int index)
{
    return index >= 0 && index < kIndexCount ? kGearLefts[index] : kGearLefts[2];
}

// The fade truncates products in doubles. The highlight's step is the single-precision 10.2
// (10.199999809...): with the double 10.2 frames 0, 5 and 10 would come out one higher (153,
// 102, 51) than the fade's table (152, 101, 50).
BYTE ModeDial::OldProfileAlpha(int frame)
{
    return static_cast<BYTE>(static_cast<int>((15 - frame) * 13.333333333333334));
}

BYTE ModeDial::NewHighlightAlpha(int frame)
{
    return static_cast<BYTE>(static_cast<int>((15 - frame) * static_cast<double>(10.2f)));
}

BYTE ModeDial::NewProfileAlpha(int frame)
{
    return static_cast<BYTE>(static_cast<int>(frame * 13.333333333333334));
}

ModeDial::ModeDial(lumo::TComponent* owner, lumo::TWinControl* parent, const std::string& folder)
    : m_parent(parent), m_folder(folder)
{
    m_gear = new KdImage(owner);
    m_gear->SetAlphaChannel(true);
    m_gear->SetAutoSize(true);
    m_gear->SetBounds(GearLeft(kIndexHighPerformance), kGearTop, 0, 0);
    m_gear->SetParent(parent);

    m_chart = new KdImage(owner);
    m_chart->SetAlphaChannel(true);
    m_chart->SetAutoSize(true);
    m_chart->SetBounds(kChartLeft, kChartTop, 0, 0);
    m_chart->SetParent(parent);
}

void ModeDial::LoadOnce()
{
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    LoadPictures(m_folder, m_pictures);
    m_gear->SetPicture(m_pictures.gear);
    if (!m_chartPending) {
        m_chart->SetPicture(m_pictures.pentagon);
    }
}

void ModeDial::Refresh()
{
    LoadOnce();
    if (m_chartPending) {
        DrawSteadyNow();
    }
}

ModeDial::Pictures& ModeDial::Images()
{
    LoadOnce();
    return m_pictures;
}

void ModeDial::RegisterButtons(KdRadioButton* autoButton, KdRadioButton* normalButton,
                               KdRadioButton* lowButton)
{
    KdRadioButton* const buttons[kIndexCount] = {autoButton, normalButton, normalButton, lowButton,
                                                 lowButton};
    for (int index = 0; index < kIndexCount; ++index) {
        m_buttons[index] = buttons[index];
    }
    // The index each button stands for when hovered.
    const std::pair<KdRadioButton*, int> hover[] = {
        {autoButton, 0}, {normalButton, kIndexHighPerformance}, {lowButton, 4}};
    for (const auto& entry : hover) {
        KdRadioButton* button = entry.first;
        const int index = entry.second;
        if (!button) {
            continue;
        }
        button->OnMouseEnter = [this, button, index](lumo::TObject*) { HoverEnter(button, index); };
        button->OnMouseLeave = [this, button](lumo::TObject*) { HoverLeave(button); };
    }
}

void ModeDial::ShowMode(int mode)
{
    const int index = DialIndex(mode);
    if (KdRadioButton* button = m_buttons[index]) {
        button->SetChecked(true);
    }
    MoveGear(mode);
    DrawSteady(index);
}

void ModeDial::MoveGear(int mode)
{
    m_gear->SetBounds(GearLeft(DialIndex(mode)), m_gear->Top(), 0, 0);
}

void ModeDial::StartFrom(lumo::TBitmap& out)
{
    LoadOnce();
    out.Assign(m_pictures.pentagon);
    out.SetPixelFormat(lumo::TPixelFormat::pf32bit);
}

void ModeDial::Blend(lumo::TBitmap& out, lumo::TBitmap& picture, BYTE alpha)
{
    if (out.Empty() || picture.Empty() || picture.PixelFormat() != lumo::TPixelFormat::pf32bit) {
        return;
    }
    const lumo::PixelView target = lumo::PixelsOf(out);
    const lumo::PixelView source = lumo::PixelsOf(picture);
    lumo::BlendPixels(target, 0, 0, source, 0, 0, source.width, source.height, alpha);
}

void ModeDial::ComposeSteady(int index, lumo::TBitmap& out)
{
    StartFrom(out);
    Blend(out, m_pictures.line, 255);
    Blend(out, m_pictures.profile[index], kSteadyProfileAlpha);
    Blend(out, m_pictures.mask, 255);
    out.Changed();
}

void ModeDial::ComposeHover(int shownIndex, int hoverIndex, lumo::TBitmap& out)
{
    StartFrom(out);
    Blend(out, m_pictures.profile[shownIndex], kSteadyProfileAlpha);
    Blend(out, m_pictures.highlight[hoverIndex], kHoverHighlightAlpha);
    Blend(out, m_pictures.line, 255);
    Blend(out, m_pictures.mask, 255);
    out.Changed();
}

void ModeDial::ComposeFrame(int fromIndex, int toIndex, int frame, lumo::TBitmap& out)
{
    StartFrom(out);
    Blend(out, m_pictures.line, 255);
    Blend(out, m_pictures.profile[fromIndex], OldProfileAlpha(frame));
    Blend(out, m_pictures.highlight[toIndex], NewHighlightAlpha(frame));
    Blend(out, m_pictures.profile[toIndex], NewProfileAlpha(frame));
    Blend(out, m_pictures.mask, 255);
    out.Changed();
}

void ModeDial::ShowChart(const lumo::TBitmap& picture)
{
    m_chart->SetPicture(picture);
}

void ModeDial::DrawSteady(int index)
{
    if (index < 0 || index >= kIndexCount) {
        index = kIndexHighPerformance;
    }
    m_drawnIndex = index;
    if (!m_chart->Showing()) {
        m_chartPending = true;
        return;
    }
    DrawSteadyNow();
}

void ModeDial::DrawSteadyNow()
{
    m_chartPending = false;
    lumo::TBitmap picture;
    ComposeSteady(m_drawnIndex, picture);
    ShowChart(picture);
}

void ModeDial::DrawHover(int hoverIndex)
{
    if (hoverIndex == m_drawnIndex || m_drawnIndex < 0) {
        return;
    }
    m_chartPending = false;
    lumo::TBitmap picture;
    ComposeHover(m_drawnIndex, hoverIndex, picture);
    ShowChart(picture);
}

void ModeDial::HoverEnter(KdRadioButton* button, int index)
{
    if (m_animating) {
        return;
    }
    m_hovered = button;
    DrawHover(index);
}

void ModeDial::HoverLeave(KdRadioButton* button)
{
    if (button != m_hovered) {
        return;
    }
    m_hovered = nullptr;
    if (m_animating) {
        return;
    }
    if (OnHoverEnd) {
        OnHoverEnd();
    }
}

void ModeDial::Animate(int fromIndex, int toIndex)
{
    if (fromIndex < 0 || fromIndex >= kIndexCount) {
        fromIndex = kIndexHighPerformance;
    }
    if (toIndex < 0 || toIndex >= kIndexCount) {
        toIndex = kIndexHighPerformance;
    }
    lumo::TForm* form = m_parent->ParentForm();
    m_animating = true;
    if (form) {
        form->SetEnabled(false);
    }
    m_chartPending = false;
    lumo::TBitmap picture;
    for (int frame = 0; frame < kFrameCount; ++frame) {
        ComposeFrame(fromIndex, toIndex, frame, picture);
        ShowChart(picture);
        m_chart->Repaint();
        if (OnFrame) {
            OnFrame(frame);
        }
        Sleep(kFrameMs);
    }
    m_drawnIndex = toIndex;
    if (form) {
        form->SetEnabled(true);
    }
    DropMouseInput(kDropMs);
    m_animating = false;
}

void ModeDial::DropMouseInput(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) ||
               PeekMessageA(&message, nullptr, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE)) {
        }
        if (GetTickCount() - start >= ms) {
            break;
        }
        Sleep(5);
    }
}

} // namespace tv
