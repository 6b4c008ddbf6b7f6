#pragma once
// The picture of a skinned control: N state bitmaps (own copies) and an image child of the
// control that shows one of them. Painting a state copies its bitmap into the image's picture,
// on the control's colour where the bitmap does not reach; OnPaint may then draw over it.
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
    // Draws the shown state into the picture again.
    void Repaint();

    // Size of the image child and its picture.
    void SetSize(int width, int height);
    int Width() const { return m_picture->Width(); }
    int Height() const { return m_picture->Height(); }

    TImage& Image() { return *m_image; }
    TBitmap& Picture() { return *m_picture; }

    // The handler this object installs on every state bitmap: repaints when the bitmap of the
    // shown state changed.
    void BitmapChanged(TObject* sender);

    // Runs after each paint with the picture's canvas (captions are drawn here).
    std::function<void(TCanvas& canvas)> OnPaint;

private:
    TWinControl& m_owner;
    TImage* m_image;
    TBitmap* m_picture;
    std::vector<std::unique_ptr<TBitmap>> m_bitmaps;
    int m_state = 0;
};

} // namespace lumo
