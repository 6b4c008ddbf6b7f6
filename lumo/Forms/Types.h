#pragma once
// Basic vocabulary of the forms framework: the root object, colours, mouse and key state,
// event types and the message record handed to window procedures.
#include <windows.h>
#include <cstdint>
#include <functional>

namespace lumo {

// Root of every framework object; ClassName is the runtime class name (forms use it as their
// window class name).
class TObject
{
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    virtual const char* ClassName() const { return "TObject"; }
};

// Declares the runtime class name of a framework class.
#define LUMO_CLASS_NAME(name)                                                                      \
    const char* ClassName() const override                                                         \
    {                                                                                              \
        return #name;                                                                              \
    }

// Colour value 0x00BBGGRR; values with the top bit set name a system colour (its index in the
// low byte).
using TColor = std::int32_t;

constexpr TColor SystemColor(int index)
{
    return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);

// Plain RGB (COLORREF) of a colour value; system colours are looked up.
COLORREF ColorToRGB(TColor color);

// Mouse buttons and the shift state of mouse and key events.
enum class TMouseButton
{
    mbLeft,
    mbRight,
    mbMiddle
};

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;
constexpr TShiftState ssDouble = 64;

// Shift state from the key flags of a mouse message (MK_*), plus the Alt key.
TShiftState MouseShiftState(WPARAM keyFlags);
// Shift state of the keyboard right now.
TShiftState KeyboardShiftState();

// Event types. Handlers are plain values: read, replace and chain them freely.
using TNotifyEvent = std::function<void(TObject* sender)>;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

// A window message as a framework window procedure sees it; Result is the answer.
struct TMessage
{
    HWND Window;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// Modal results of forms.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

enum class TAlignment
{
    taLeftJustify,
    taRightJustify,
    taCenter
};

// Vertical placement of a label's text.
enum class TLabelLayout
{
    tlTop,
    tlCenter,
    tlBottom
};

} // namespace lumo
