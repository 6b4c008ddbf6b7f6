#pragma once
// A brick with an indicator picture that the user drags along it: ScrollPos runs from 0 to
// Length, the indicator's centre sits at Origin plus ScrollPos along the bar's axis.
#include "lumo/Forms/Image.h"
#include "lumo/Kd/KdBrick.h"

#include <functional>

namespace lumo {

enum class TScrollBarKind
{
    sbHorizontal,
    sbVertical
};

} // namespace lumo

// Where the indicator's centre sits at ScrollPos 0 (bar client coordinates).
class KdBarOrigin
{
public:
    int X() const { return m_x; }
    void SetX(int x);
    int Y() const { return m_y; }
    void SetY(int y);
    std::function<void()> OnChange;

private:
    int m_x = 0;
    int m_y = 0;
};

class KdBar : public KdBrick
{
public:
    LUMO_CLASS_NAME(KdBar)
    explicit KdBar(lumo::TComponent* owner);
    ~KdBar() override;

    // The indicator's picture (the indicator image sizes itself to it).
    lumo::TBitmap& Indicator();
    void SetIndicator(const lumo::TBitmap& bitmap);
    lumo::TImage& IndicatorImage() { return *m_indicator; }

    int Length() const { return m_length; }
    void SetLength(int length);
    int ScrollPos() const { return m_scrollPos; }
    // Not clamped to 0 .. Length.
    void SetScrollPos(int position);
    lumo::TScrollBarKind Kind() const { return m_kind; }
    void SetKind(lumo::TScrollBarKind kind);
    KdBarOrigin& Origin() { return m_origin; }
    void SetOrigin(int x, int y);

    bool IsDraging() const { return m_dragging; }
    // Moves the indicator to where Origin, ScrollPos and OnIndicate put it.
    void LocateIndicator();

    lumo::TNotifyEvent OnStartScroll;
    lumo::TNotifyEvent OnEndScroll;
    // While dragging: the new position (may be changed) and whether it moved forward.
    std::function<void(lumo::TObject* sender, int& position, bool forward)> OnScroll;
    // The indicator's coordinate along the axis (may be changed).
    std::function<void(lumo::TObject* sender, int& coordinate)> OnIndicate;

    void WndProc(lumo::TMessage& message) override;

private:
    void StartDrag(int x, int y);
    void Drag(int x, int y);
    void EndDrag();

    lumo::TImage* m_indicator;
    int m_length = 20;
    int m_scrollPos = 0;
    lumo::TScrollBarKind m_kind = lumo::TScrollBarKind::sbHorizontal;
    KdBarOrigin m_origin;
    bool m_dragging = false;
    POINT m_last = {0, 0};
};
