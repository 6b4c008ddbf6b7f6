#pragma once
// The picture of a skinned control: N state bitmaps (own copies) and an image child of the
// control that shows one of them. Drawing a state copies its bitmap into the image's picture,
// on the control's colour where the bitmap does not reach; OnPaint may then draw over it.
// The picture is drawn when it is about to be painted or asked for, not at each change: a
// control that is never shown (a window waiting in the tray) holds no picture.
#include "lumo/Forms/Image.h"
#include "lumo/Forms/WinControl.h"

#include <functional>
#include <memory>
#include <vector>

namespace lumo {

class TBmpLEDCtrl
{
public:
    // Creates the image child inside owner at (0, 0). Precondition: stateCount > 0.
    TBmpLEDCtrl(TWinControl& owner, int stateCount);
    ~TBmpLEDCtrl();
    TBmpLEDCtrl(const TBmpLEDCtrl&) = delete;
    TBmpLEDCtrl& operator=(const TBmpLEDCtrl&) = delete;

    int StateCount() const { return static_cast<int>(m_bitmaps.size()); }
    // The copy held for a state; changing it reports through its OnChange (which this object
    // points at BitmapChanged).
    TBitmap& Bitmap(int index);
    const TBitmap& Bitmap(int index) const;
    // Index of a state bitmap, -1 for any other object.
    int IndexOf(const TObject* bitmap) const;

    // The state shown; showing another one redraws the picture.
    int State() const { return m_state; }
    void ShowState(int state);
    // The shown state is drawn into the picture again before it is next painted.
    void Repaint();

    // Size of the image child and its picture.
    void SetSize(int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    TImage& Image() { return *m_image; }
    // The picture, drawn up to date.
    TBitmap& Picture();
    // Drawn since the last change (Repaint, a new state or size).
    bool Drawn() const { return !m_stale; }
    // The picture's transparent colour (one taken from its pixels needs them drawn).
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color) { m_picture->SetTransparentColor(color); }

    // The handler this object installs on every state bitmap: repaints when the bitmap of the
    // shown state changed.
    void BitmapChanged(TObject* sender);

    // Runs after each paint with the picture's canvas (captions are drawn here).
    std::function<void(TCanvas& canvas)> OnPaint;

private:
    friend class TLEDImage;
    // Draws the picture when a change is pending.
    void Draw();

    TWinControl& m_owner;
    TImage* m_image;
    TBitmap* m_picture;
    std::vector<std::unique_ptr<TBitmap>> m_bitmaps;
    int m_state = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_stale = false;
    bool m_drawing = false;
};

} // namespace lumo
