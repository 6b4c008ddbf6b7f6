#pragma once
// Makes a top-level window layered: a colour made transparent, a constant opacity, and
// optionally transparent to the mouse altogether.
#include "lumo/Forms/Types.h"

namespace lumo {

class LayeredWindowMaker
{
public:
    // Looks the layered-window call up in user32.dll; without it nothing can be applied.
    LayeredWindowMaker();
    virtual ~LayeredWindowMaker() = default;
    LayeredWindowMaker(const LayeredWindowMaker&) = delete;
    LayeredWindowMaker& operator=(const LayeredWindowMaker&) = delete;

    bool IsEnabled() const { return m_setAttributes != nullptr; }

    // Precondition IsEnabled(). With neither colour key nor alpha in use the window stops
    // being layered.
    void Apply(HWND window);
    // Clears the layered style; clearAll also clears the transparent-to-mouse style, otherwise
    // that follows the click-through flag.
    void Remove(HWND window, bool clearAll);

    // The colour key as RGB: the low 24 bits of what is stored (-1 until set, so white).
    TColor GetColorKey() const;
    void SetColorKey(TColor color);
    bool UseColorKey() const { return m_useColorKey; }
    void SetUseColorKey(bool use) { m_useColorKey = use; }
    bool ClickThrough() const { return m_clickThrough; }
    void SetClickThrough(bool clickThrough) { m_clickThrough = clickThrough; }
    bool UseAlpha() const { return m_useAlpha; }
    void SetUseAlpha(bool use) { m_useAlpha = use; }
    BYTE Alpha() const { return m_alpha; }
    void SetAlpha(BYTE alpha) { m_alpha = alpha; }

private:
    using SetAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

    // Sets or clears the layered and transparent-to-mouse bits; true when the style changed.
    static bool ChangeExStyle(HWND window, bool layered, bool transparent);

    TColor m_colorKey = -1;
    bool m_useColorKey = false;
    bool m_clickThrough = false;
    bool m_useAlpha = false;
    BYTE m_alpha = 255;
    SetAttributesFn m_setAttributes = nullptr;
};

} // namespace lumo
