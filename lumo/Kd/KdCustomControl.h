#pragma once
// A skinned control drawn from one bitmap per state. A missing state bitmap falls back along
// Substitute, ending at state 0 (raised), the only one a control needs. State 0 also gives
// the control its size (resize requests keep it) and, when Transparent, its shape: pixels of
// TransparentColor are cut out of the window and do not react to the mouse.
#include "lumo/Graphics/Region.h"
#include "lumo/Kd/BmpLEDCtrl.h"
#include "lumo/Kd/KdControl.h"

#include <memory>
#include <string>
#include <vector>

class KdCustomControl : public KdControl
{
public:
    LUMO_CLASS_NAME(KdCustomControl)
    // Precondition: stateCount > 0.
    KdCustomControl(lumo::TComponent* owner, bool clicksDisabled, int stateCount);
    ~KdCustomControl() override;

    // Shows a state's bitmap, or the first non-empty one along Substitute (state 0 last).
    virtual void ShowBitmap(int state);
    // The state to try when state's bitmap is empty.
    virtual int Substitute(int /*state*/) { return 0; }

    int StateCount() const { return m_led->StateCount(); }
    // The control's own copy of a state's bitmap (changing it updates the control).
    lumo::TBitmap& GetStateBitmap(int state) { return m_led->Bitmap(state); }
    // Copies bitmap into the state (null empties it). Setting state 0 also takes the
    // bitmap's transparent colour.
    void SetStateBitmap(int state, const lumo::TBitmap* bitmap);
    // The state last asked for through ShowBitmap, and the one actually shown.
    int RequestedState() const { return m_requested; }
    int ShownState() const { return m_led->State(); }

    bool Transparent() const { return m_led->Image().Transparent(); }
    void SetTransparent(bool transparent);
    lumo::TColor TransparentColor() const { return m_led->TransparentColor(); }
    void SetTransparentColor(lumo::TColor color);

    // Inside the control's shape.
    bool HitTest(int x, int y) const override;
    void SetBounds(int left, int top, int width, int height) override;
    void Repaint() override;

    const lumo::WinRegion& Region() const { return m_region; }
    lumo::TBmpLEDCtrl& Led() { return *m_led; }

    void WndProc(lumo::TMessage& message) override;

protected:
    // A state bitmap changed (sender is the bitmap).
    virtual void BitmapChanged(lumo::TObject* sender);
    // Shows the requested state again when sender is the bitmap it falls back to first.
    void ReshowOnFallbackChange(lumo::TObject* sender);
    void UpdateRegion();
    void CreateWnd() override;
    void Resize() override;
    // Loads the named files (empty names skipped) from folder into the states from first on.
    // Every file is read before any state changes; a file that cannot be read throws the
    // framework's error.
    bool LoadStateBitmaps(int first, const std::string& folder,
                          const std::vector<std::string>& names);

private:
    void RebuildRegion();

    std::unique_ptr<lumo::TBmpLEDCtrl> m_led;
    lumo::WinRegion m_region;
    int m_requested = 0;
    lumo::TNotifyEvent m_ledHandler;
};
