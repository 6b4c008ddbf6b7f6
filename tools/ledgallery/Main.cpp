// LED gallery: every LED kind at several sizes, plain and shaded text, and list boxes drawn by
// the system and through a list box layout.
//   ledgallery.exe            shows the form until it is closed
//   ledgallery.exe FILE.bmp   shows it, saves what the screen shows of it to FILE.bmp, ends
#include "lumo/Component/LED/KdNumLed.h"
#include "lumo/Component/ListBox/ListBox.h"
#include "lumo/Forms/Forms.h"
#include "lumo/Graphics/Layout/ListBoxLayout.h"

#include <shellapi.h>

#include <memory>
#include <string>

namespace {

using lumo::TColor;

// Draws its caption through a text layout.
class TLayoutText : public lumo::TGraphicControl
{
public:
    LUMO_CLASS_NAME(TLayoutText)
    TLayoutText(lumo::TComponent* owner, lumo::TLayoutBase& layout)
        : lumo::TGraphicControl(owner), m_layout(layout)
    {}
    void Paint(lumo::TCanvas& canvas) override
    {
        RECT rect = ClientRect();
        m_layout.DrawText(canvas, Caption(), rect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }

private:
    lumo::TLayoutBase& m_layout;
};

class TGalleryForm : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TGalleryForm)
    explicit TGalleryForm(lumo::TComponent* owner);

private:
    KdNumLed* AddLed(int left, int top, const std::string& format, int width, int height);
    void AddCaption(int left, int top, int width, const std::string& text);
    TLayoutText* AddText(int left, int top, int width, int height, lumo::TLayoutBase& layout,
                         const std::string& text, int fontHeight);

    lumo::TTextLayout m_plain;
    lumo::TShadedTextLayout m_shaded;
    lumo::TShadedTextLayout m_glow;
    lumo::TShadedTextLayout m_flat;
    std::unique_ptr<lumo::TListBoxLayout> m_listLayout;
};

SYSTEMTIME Moment()
{
    SYSTEMTIME t = {};
    t.wYear = 2009;
    t.wMonth = 6;
    t.wDay = 21;
    t.wHour = 7;
    t.wMinute = 45;
    t.wSecond = 9;
    return t;
}

TGalleryForm::TGalleryForm(lumo::TComponent* owner) : lumo::TForm(owner)
{
    SetCaption("LED gallery");
    SetBorderStyle(lumo::TFormBorderStyle::bsSingle);
    SetColor(0xE8E0D8);
    SetBounds(20, 20, 720, 520);
    Font().SetName("Arial");
    Font().SetHeight(-13);

    AddCaption(12, 8, 300, "Numbers: 888.8 with 3.14159, plain and with leading zeros");
    KdNumLed* led = AddLed(12, 28, "888.8", 0, 0);
    led->SetValue(3.14159);
    led = AddLed(110, 28, "888.8", 0, 0);
    led->SetZeroLeading(true);
    led->SetValue(3.14159);
    led = AddLed(208, 28, "8888", 0, 0);
    led->SetValue(-12345);

    AddCaption(12, 68, 340, "Temperature 88.8^C and fan speed 8888& (KeepRatio)");
    led = AddLed(12, 88, "88.8^C", 400, 54);
    led->SetKeepRatio(true);
    led->SetValue(42.5);
    led = AddLed(12, 150, "8888&", 400, 40);
    led->SetKeepRatio(true);
    led->SetValue(2150);

    AddCaption(12, 200, 340, "Time HH.MM.SS, date DD.MM.YY, LED 2 off, small sizes");
    led = AddLed(12, 220, "HH.MM.SS", 0, 0);
    led->SetType(nledTime);
    led->SetValue(Moment());
    led = AddLed(150, 220, "DD.MM.YY", 0, 0);
    led->SetType(nledDate);
    led->SetValue(Moment());
    led = AddLed(290, 220, "8888", 0, 0);
    led->SetValue(1234);
    led->Off(2);
    led = AddLed(12, 256, "88.8^C", 52, 18);
    led->SetKeepRatio(true);
    led->SetValue(21.0);
    led = AddLed(80, 256, "8888&", 60, 12);
    led->SetKeepRatio(true);
    led->SetValue(900);
    led = AddLed(150, 256, "8888", 36, 11);
    led->SetValue(42);

    AddCaption(12, 284, 340, "Large, stretched, and transparent over a picture");
    led = AddLed(12, 304, "88", 108, 66);
    led->SetValue(88);
    led = AddLed(130, 304, "888", 200, 40);
    led->SetValue(7);
    auto* picture = new lumo::TImage(this);
    picture->SetParent(this);
    picture->SetBounds(130, 350, 220, 60);
    picture->Picture().SetSize(220, 60);
    for (int x = 0; x < 220; ++x) {
        picture->Picture().Canvas().Pen().SetColor(RGB(40 + x / 2, 60, 200 - x / 2));
        picture->Picture().Canvas().MoveTo(x, 0);
        picture->Picture().Canvas().LineTo(x, 60);
    }
    led = AddLed(140, 356, "88.8^C", 200, 48);
    led->SetKeepRatio(true);
    KdLedColors colors;
    colors.LightColor = RGB(255, 240, 80);
    colors.DarkColor = RGB(90, 90, 140);
    colors.BackgroundColor = RGB(255, 0, 255);
    colors.TransparentColor = RGB(255, 0, 255);
    led->SetLedColors(colors);
    led->SetTransparent(true);
    led->SetValue(-5.5);

    // Text layouts.
    AddCaption(380, 8, 320, "Text: plain, shaded (default), shaded radius 3, shadow off");
    AddText(380, 28, 320, 34, m_plain, "Plain text layout", -22);
    AddText(380, 66, 320, 34, m_shaded, "Shaded text layout", -22);
    m_glow.SetBlurRadius(3);
    m_glow.SetBlurSigma(1.5f);
    m_glow.SetShadowOffset(2, 2);
    m_glow.SetShadowAlpha(200);
    m_glow.SetShadowColor(RGB(0, 60, 160));
    TLayoutText* glow = AddText(380, 104, 320, 40, m_glow, "Radius 3, sigma 1.5", -22);
    glow->Font().SetColor(lumo::clWhite);
    m_flat.SetShadowEnabled(false);
    AddText(380, 148, 320, 34, m_flat, "Shaded, shadow disabled", -22);

    // List boxes.
    AddCaption(380, 200, 320, "List boxes: system drawing, and through a layout");
    auto* plainList = new lumo::TListBox(this);
    plainList->SetParent(this);
    plainList->SetBounds(380, 220, 150, 150);
    plainList->SetItems({"After 5 mins", "After 10 mins", "After 20 mins", "Never"});
    plainList->SetItemIndex(2);
    auto* list = new lumo::TListBox(this);
    list->SetParent(this);
    list->SetBounds(545, 220, 160, 150);
    list->SetBorder(false);
    list->SetColor(RGB(40, 48, 64));
    list->Font().SetColor(lumo::clWhite);
    list->Font().SetHeight(-15);
    list->SetItems({"After 5 mins", "After 10 mins", "After 20 mins", "Never", "Disabled"});
    list->SetItemIndex(1);
    m_listLayout = std::make_unique<lumo::TListBoxLayout>(
        std::make_unique<lumo::TOwnerDrawShadedTextLayout>());
    m_listLayout->SetHorizontalAlignment(2);
    m_listLayout->SetSelectedColor(RGB(230, 120, 20));
    m_listLayout->SetMargins(2, 2);
    m_listLayout->TextLayout().SetHighlightColor(lumo::clWhite);
    m_listLayout->Attach(list);
}

KdNumLed* TGalleryForm::AddLed(int left, int top, const std::string& format, int width,
                               int height)
{
    auto* led = new KdNumLed(this);
    led->SetParent(this);
    led->SetFormat(format);
    const lumo::FigureBase* row = led->Imp().Figure();
    led->SetBounds(left, top, width ? width : row->OriginalWidth(),
                   height ? height : row->OriginalHeight());
    return led;
}

void TGalleryForm::AddCaption(int left, int top, int width, const std::string& text)
{
    auto* label = new lumo::TLabel(this);
    label->SetParent(this);
    label->SetTransparent(true);
    label->SetShowAccelChar(false);
    label->SetBounds(left, top, width, 16);
    label->SetCaption(text);
}

TLayoutText* TGalleryForm::AddText(int left, int top, int width, int height,
                                   lumo::TLayoutBase& layout, const std::string& text,
                                   int fontHeight)
{
    auto* panel = new TLayoutText(this, layout);
    panel->SetParent(this);
    panel->SetBounds(left, top, width, height);
    panel->Font().SetName("Arial");
    panel->Font().SetHeight(fontHeight);
    panel->Font().SetStyle(lumo::fsBold);
    panel->Font().SetColor(RGB(20, 30, 60));
    panel->SetCaption(text);
    return panel;
}

// What the screen shows of the window, as a BMP file.
bool SaveScreenshot(HWND window, const std::string& path)
{
    RECT rect;
    GetWindowRect(window, &rect);
    lumo::TBitmap shot(rect.right - rect.left, rect.bottom - rect.top);
    lumo::WindowDC screen(nullptr);
    BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen.Get(), rect.left,
           rect.top, SRCCOPY);
    try {
        shot.SaveToFile(path);
    } catch (const lumo::Exception&) {
        return false;
    }
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::string shotPath;
    if (argv && argc > 1) {
        char path[MAX_PATH] = {};
        WideCharToMultiByte(CP_ACP, 0, argv[1], -1, path, MAX_PATH, nullptr, nullptr);
        shotPath = path;
    }
    LocalFree(argv);

    lumo::TApplication application;
    auto* form = application.CreateForm<TGalleryForm>();
    if (shotPath.empty()) {
        application.Run();
        return 0;
    }
    form->Show();
    SetForegroundWindow(form->Handle());
    // Let every window paint before the picture is taken.
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 800) {
        application.ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return SaveScreenshot(form->Handle(), shotPath) ? 0 : 1;
}
