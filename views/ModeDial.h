#pragma once
// The mode dial of the main window: the gear marker that slides to the active mode, and the
// pentagon chart of the mode's qualities, drawn steady, as a hover preview, or cross-faded in
// 16 frames when the mode changes. The pictures are read, and the chart drawn, when the window
// is about to be shown (Refresh) or they are asked for: a window that waits in the tray decodes
// nothing.
#include "lumo/Forms/Bitmap.h"
#include "lumo/widget/Source/KdImage.h"

#include <windows.h>
#include <functional>
#include <string>

class KdRadioButton;

namespace lumo {
class TWinControl;
}

namespace tv {

class ModeDial
{
public:
    static constexpr int kIndexCount = 5;
    static constexpr int kGearTop = 345;
    static constexpr int kChartLeft = 439;
    static constexpr int kChartTop = 345;
    static constexpr int kFrameCount = 16;
    static constexpr DWORD kFrameMs = 100;
    // After the animation, mouse input is dropped this long.
    static constexpr DWORD kDropMs = 100;
    static constexpr BYTE kSteadyProfileAlpha = 200;
    static constexpr BYTE kHoverHighlightAlpha = 153;

    // The pictures of "Resource\": the gear, the chart's base, lines and overlay, and per dial
    // index the profile area ("_b") and its highlight ("_a").
    struct Pictures
    {
        lumo::TBitmap gear;
        lumo::TBitmap pentagon;
        lumo::TBitmap line;
        lumo::TBitmap mask;
        lumo::TBitmap profile[kIndexCount];
        lumo::TBitmap highlight[kIndexCount];
    };
    // Reads them through pngio.dll from folder (with its trailing backslash). A picture that is
    // missing or undecodable stays empty and draws nothing (traced); false then.
    static bool LoadPictures(const std::string& folder, Pictures& pictures);

    // Auto 0, Turbo 1, High performance 2 (and any other value), Medium 3, Max 4.
    static int DialIndex(int mode);
    static int GearLeft(int index);
    // Alphas of frame i (0..15): the old profile, the new highlight, the new profile.
    static BYTE OldProfileAlpha(int frame);
    static BYTE NewHighlightAlpha(int frame);
    static BYTE NewProfileAlpha(int frame);

    // Creates the gear marker and the chart on parent (owned by owner); the pictures come from
    // folder (LoadPictures) when first needed, and the chart starts with the base picture.
    ModeDial(lumo::TComponent* owner, lumo::TWinControl* parent, const std::string& folder);
    ModeDial(const ModeDial&) = delete;
    ModeDial& operator=(const ModeDial&) = delete;

    // The radio buttons: index 0 auto, 1 and 2 normal, 3 and 4 low. Their mouse-enter and
    // mouse-leave run the hover preview.
    void RegisterButtons(KdRadioButton* autoButton, KdRadioButton* normalButton,
                         KdRadioButton* lowButton);
    KdRadioButton* ButtonOf(int index) const { return m_buttons[index]; }

    // Checks the mode's button, moves the gear there and draws the steady chart.
    void ShowMode(int mode);
    void MoveGear(int mode);
    // The chart, composed off-screen and shown; while the window is not showing, only noted
    // and drawn by Refresh.
    void DrawSteady(int index);
    // Reads the pictures if not done yet and draws what DrawSteady noted (before a show).
    void Refresh();
    void DrawHover(int hoverIndex);
    // The change animation: parent's form disabled, 16 frames 100 ms apart, enabled again, then
    // mouse messages dropped for 100 ms (clicks made meanwhile are lost).
    void Animate(int fromIndex, int toIndex);

    // Off-screen compositions (32 bits with the base's alpha).
    void ComposeSteady(int index, lumo::TBitmap& out);
    void ComposeHover(int shownIndex, int hoverIndex, lumo::TBitmap& out);
    void ComposeFrame(int fromIndex, int toIndex, int frame, lumo::TBitmap& out);

    // The index the chart shows (-1: the base only); the button under the pointer or null.
    int DrawnIndex() const { return m_drawnIndex; }
    KdRadioButton* HoveredButton() const { return m_hovered; }
    bool Animating() const { return m_animating; }
    KdImage& Gear() { return *m_gear; }
    KdImage& Chart() { return *m_chart; }
    Pictures& Images();

    // The pointer left the button it hovered (the view shows the current mode again).
    std::function<void()> OnHoverEnd;
    // Called after each animation frame is shown (for observers; may be empty).
    std::function<void(int frame)> OnFrame;

private:
    void LoadOnce();
    void DrawSteadyNow();
    void Blend(lumo::TBitmap& out, lumo::TBitmap& picture, BYTE alpha);
    void StartFrom(lumo::TBitmap& out);
    void ShowChart(const lumo::TBitmap& picture);
    void HoverEnter(KdRadioButton* button, int index);
    void HoverLeave(KdRadioButton* button);
    static void DropMouseInput(DWORD ms);

    lumo::TWinControl* m_parent;
    std::string m_folder;
    bool m_loaded = false;
    bool m_chartPending = false;
    Pictures m_pictures;
    KdImage* m_gear;
    KdImage* m_chart;
    KdRadioButton* m_buttons[kIndexCount] = {};
    KdRadioButton* m_hovered = nullptr;
    int m_drawnIndex = -1;
    bool m_animating = false;
};

} // namespace tv
