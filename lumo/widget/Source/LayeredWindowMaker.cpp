#include "lumo/widget/Source/LayeredWindowMaker.h"

#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/TraceLog.h"

namespace lumo {
namespace {

// Declared here: the library targets systems where the headers may not offer them.
constexpr DWORD kExLayered = 0x00080000;     // WS_EX_LAYERED
constexpr DWORD kExTransparent = 0x00000020; // WS_EX_TRANSPARENT
constexpr DWORD kColorKeyFlag = 1;           // LWA_COLORKEY
constexpr DWORD kAlphaFlag = 2;              // LWA_ALPHA

} // namespace

LayeredWindowMaker::LayeredWindowMaker()
{
    if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
        m_setAttributes = reinterpret_cast<SetAttributesFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
    }
}

TColor LayeredWindowMaker::GetColorKey() const
{
    return m_colorKey & 0x00FFFFFF;
}

void LayeredWindowMaker::SetColorKey(TColor color)
{
    m_colorKey = static_cast<TColor>(ColorToRGB(color) | 0xFF000000u);
}

bool LayeredWindowMaker::ChangeExStyle(HWND window, bool layered, bool transparent)
{
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    DWORD wanted = style & ~(kExLayered | kExTransparent);
    if (layered) {
        wanted |= kExLayered;
    }
    if (transparent) {
        wanted |= kExTransparent;
    }
    if (wanted == style) {
        return false;
    }
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(wanted));
    return true;
}

void LayeredWindowMaker::Apply(HWND window)
{
    LUMO_ASSERT(IsEnabled());
    if (!m_useColorKey && !m_useAlpha) {
        Remove(window, false);
        return;
    }
    ChangeExStyle(window, true, m_clickThrough);
    DWORD flags = 0;
    if (m_useColorKey) {
        flags |= kColorKeyFlag;
    }
    if (m_useAlpha) {
        flags |= kAlphaFlag;
    }
    COLORREF key = static_cast<COLORREF>(m_colorKey) & 0x00FFFFFF;
    if (!m_setAttributes(window, key, m_alpha, flags)) {
        TraceLog("[LayeredWindowMaker::Apply] SetLayeredWindowAttributes failed! GetLastError "
                 "returned %lu",
                 GetLastError());
    }
}

void LayeredWindowMaker::Remove(HWND window, bool clearAll)
{
    if (ChangeExStyle(window, false, !clearAll && m_clickThrough)) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
    }
}

} // namespace lumo
