// gallery.exe [FILE]: every skinned control in every state on one shaped, draggable form.
// With FILE it shows the form, saves a screenshot of it (FILE.png through pngio.dll, or
// FILE.bmp) and ends: 0 when the picture was written.
#include "lumo/Forms/Forms.h"
#include "lumo/Kd/Kd.h"
#include "lumo/widget/Source/FlickerEliminator.h"
#include "lumo/widget/Source/KdImage.h"
#include "lumo/widget/Source/TShapedForm.h"
#include "tools/gallery/Placeholders.h"
#include "tools/gallery/Screenshot.h"
#include "tools/gallery/Skin.h"

#include <algorithm>
#include <cstdlib>
#include <string>

using namespace lumo;
using namespace gallery;

namespace {

constexpr int kFirstColumn = 150;
constexpr int kRowGap = 14;
constexpr TColor kPanelColor = 0x302A1D;
constexpr TColor kTitleColor = 0xDBDAD8;
constexpr TColor kNoteColor = 0xA09C94;

const char* const kVisualNames[] = {"raised", "sunken", "focused", "disabled"};

class TGalleryForm : public TForm
{
public:
    LUMO_CLASS_NAME(TGalleryForm)
    explicit TGalleryForm(TComponent* owner);

private:
    int Column(int index) const { return kFirstColumn + m_columnWidth * index; }
    TLabel* AddLabel(int x, int y, const std::string& text, TColor color = kNoteColor,
                     bool bold = false);
    template <typename T> T* Add(TWinControl* parent, int x, int y)
    {
        auto* control = new T(this);
        control->SetParent(parent);
        control->SetBounds(x, y, 0, 0);
        return control;
    }
    // A control alone in a container of its own, so that a checked radio button stays checked
    // next to the others.
    template <typename T> T* AddAlone(int x, int y, const TBitmap& size)
    {
        auto* box = new TWinControl(this);
        box->SetParent(this);
        box->SetColor(kPanelColor);
        box->SetBounds(x, y, size.Width(), size.Height());
        return Add<T>(box, 0, 0);
    }
    // Shows visual on a control the way the state machine would.
    static void Force(KdControl& control, Visual visual);
    static void SetStates(KdCustomControl& control, const TBitmap* states, int count);
    // The title of a row at y, centred on a row of the given height.
    void RowTitle(int y, int height, const std::string& title);

    int AddButtons(int y);
    int AddCheckBoxes(int y);
    int AddRadioButtons(int y);
    int AddBricks(int y);
    int AddBars(int y);
    int AddShapes(int y, int width);

    Skin m_skin;
    int m_columnWidth = 110;
    TImage* m_background;
    TLayeredFormMaker m_shaper;
    FlickerEliminator m_flicker;
};

TGalleryForm::TGalleryForm(TComponent* owner) : TForm(owner)
{
    if (!ArtSkin(m_skin)) {
        PlaceholderSkin(m_skin);
    }
    if (m_skin.BarKnob.Empty()) {
        BarKnob(m_skin.BarKnob, 8, std::max(m_skin.BarTrack[0].Height(), 8));
    }
    for (const TBitmap* picture :
         {&m_skin.Button[0], &m_skin.TextButton[0], &m_skin.Brick[0], &m_skin.BarTrack[0]}) {
        m_columnWidth = std::max(m_columnWidth, picture->Width() + 20);
    }
    SetScaled(false);
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetCaption("Skinned controls");
    Font().SetName("Tahoma");
    Font().SetHeight(-11);
    m_background = new TImage(this);
    m_background->SetParent(this);

    AddLabel(20, 14, "Skinned controls (" + m_skin.Name + "; drag the panel to move it)",
             kTitleColor, true);
    for (int i = 0; i < 4; ++i) {
        AddLabel(Column(i) + 20, 42, kVisualNames[i], kTitleColor);
    }
    int y = 62;
    y = AddButtons(y);
    y = AddCheckBoxes(y);
    y = AddRadioButtons(y);
    y = AddBricks(y);
    y = AddBars(y);
    int width = Column(4) + 140;
    y = AddShapes(y, width);
    int height = y + 110;
    SetBounds(40, 40, width, height);
    RECT checker = {270, y + 20, 590, y + 90};
    Background(m_background->Picture(), width, height, checker);
    for (int i = 0; i < 3; ++i) {
        auto* image = new KdImage(this);
        image->SetParent(this);
        image->SetAutoSize(true);
        image->SetBounds(checker.left + 20 + 100 * i, checker.top + 11, 0, 0);
        AlphaDisc(image->Picture(), 48);
        image->SetAlphaChannel(i < 2);
        image->SetAlphaBlend(i == 1);
        image->SetAlphaValue(128);
        const char* const names[] = {"AlphaChannel", "AlphaBlend 50%", "alpha ignored"};
        AddLabel(checker.left + 20 + 100 * i, checker.top - 16, names[i]);
    }
    RowTitle(checker.top, checker.bottom - checker.top, "KdImage");

    m_shaper.Attach(m_background);
    m_flicker.Attach(*this);
}

TLabel* TGalleryForm::AddLabel(int x, int y, const std::string& text, TColor color, bool bold)
{
    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetTransparent(true);
    label->SetParentFont(false);
    label->Font().SetName("Tahoma");
    label->Font().SetHeight(bold ? -13 : -11);
    label->Font().SetStyle(bold ? fsBold : 0);
    label->Font().SetColor(color);
    label->SetCaption(text);
    label->SetBounds(x, y, 0, 0);
    // Room for a last glyph that reaches past its advance (seen with "n" under Wine).
    label->SetAutoSize(false);
    label->SetWidth(label->Width() + 3);
    return label;
}

void TGalleryForm::RowTitle(int y, int height, const std::string& title)
{
    AddLabel(20, y + height / 2 - 8, title, kTitleColor, true);
}

void TGalleryForm::Force(KdControl& control, Visual visual)
{
    switch (visual) {
    case vSunken:
        control.ShowSunken();
        break;
    case vFocused:
        control.ShowFocused();
        break;
    case vDisabled:
        control.SetEnabled(false);
        break;
    default:
        control.ShowRaised();
        break;
    }
}

void TGalleryForm::SetStates(KdCustomControl& control, const TBitmap* states, int count)
{
    for (int state = 0; state < count; ++state) {
        if (!states[state].Empty()) {
            control.SetStateBitmap(state, &states[state]);
        }
    }
}

int TGalleryForm::AddButtons(int y)
{
    int height = m_skin.Button[0].Height();
    RowTitle(y, height, "KdButton");
    for (int i = 0; i < 4; ++i) {
        auto* button = Add<KdButton>(this, Column(i), y);
        SetStates(*button, m_skin.Button, 4);
        button->SetTransparent(m_skin.Shaped);
        Force(*button, static_cast<Visual>(i));
    }
    y += height + kRowGap;
    height = m_skin.TextButton[0].Height();
    RowTitle(y, height, "KdButtonTx");
    for (int i = 0; i < 4; ++i) {
        auto* button = Add<KdButtonTx>(this, Column(i), y);
        SetStates(*button, m_skin.TextButton, 4);
        button->SetTransparent(m_skin.Shaped);
        button->Font().SetName("Tahoma");
        button->Font().SetHeight(-12);
        button->Font().SetStyle(fsBold);
        button->Font().SetColor(m_skin.TextColor);
        button->FontColors().SetFocused(0xFFFFFF);
        button->SetText("Setting");
        const RECT& text = m_skin.TextBounds;
        if (text.bottom > 0) {
            button->SetTextBounds(text.left, text.top,
                                  text.right > 0 ? text.right : button->Width(), text.bottom);
        }
        Force(*button, static_cast<Visual>(i));
    }
    return y + height + kRowGap;
}

int TGalleryForm::AddCheckBoxes(int y)
{
    // Without grayed pictures that row shows the fallback to the unchecked raised one.
    const char* const marks[] = {"unchecked", "checked",
                                 m_skin.CheckBox[8].Empty() ? "grayed: no picture, state 0"
                                                            : "grayed (AllowGrayed)"};
    int step = std::max(m_skin.CheckBox[0].Height(), 20) + 6;
    RowTitle(y, 3 * step - 6, "KdCheckBox");
    for (int mark = 0; mark < 3; ++mark) {
        AddLabel(Column(4) - 10, y + step / 2 - 9, marks[mark]);
        for (int i = 0; i < 4; ++i) {
            auto* box = Add<KdCheckBox>(this, Column(i) + 35, y);
            SetStates(*box, m_skin.CheckBox, 12);
            box->SetTransparent(m_skin.Shaped);
            box->SetAllowGrayed(true);
            box->SetState(static_cast<TCheckBoxState>(mark));
            Force(*box, static_cast<Visual>(i));
        }
        y += step;
    }
    return y + kRowGap - 6;
}

int TGalleryForm::AddRadioButtons(int y)
{
    int step = std::max(m_skin.Radio[0].Height(), 20) + 6;
    RowTitle(y, 2 * step - 6, "KdRadioButton");
    for (int checked = 0; checked < 2; ++checked) {
        AddLabel(Column(4) - 10, y + step / 2 - 9, checked ? "checked" : "unchecked");
        for (int i = 0; i < 4; ++i) {
            auto* radio = AddAlone<KdRadioButton>(Column(i) + 35, y, m_skin.Radio[0]);
            SetStates(*radio, m_skin.Radio, 8);
            radio->SetTransparent(m_skin.Shaped);
            radio->SetChecked(checked != 0);
            Force(*radio, static_cast<Visual>(i));
        }
        y += step;
    }
    return y + kRowGap - 6;
}

int TGalleryForm::AddBricks(int y)
{
    int height = m_skin.Brick[0].Height();
    RowTitle(y, height, "KdBrick");
    AddLabel(Column(4) - 10, y + height / 2 - 7, "no press shown");
    int textY = y + height + kRowGap;
    int textHeight = m_skin.TextBrick[0].Height();
    RowTitle(textY, textHeight, "KdBrickTx");
    AddLabel(Column(4) - 10, textY + textHeight / 2 - 7, "text colour by state");
    for (int i = 0; i < 4; ++i) {
        auto* brick = Add<KdBrick>(this, Column(i), y);
        auto* text = Add<KdBrickTx>(this, Column(i), textY);
        SetStates(*brick, m_skin.Brick, 3);
        SetStates(*text, m_skin.TextBrick, 3);
        Force(*brick, static_cast<Visual>(i));
        Force(*text, static_cast<Visual>(i));
        text->Font().SetName("Tahoma");
        text->Font().SetHeight(-12);
        text->Font().SetColor(0xE9B572);
        text->FontColors().SetFocused(0x00FF9E);
        text->SetText("12.5 W");
    }
    return textY + textHeight + kRowGap;
}

int TGalleryForm::AddBars(int y)
{
    const TBitmap& track = m_skin.BarTrack[0];
    const TBitmap& knob = m_skin.BarKnob;
    int height = track.Height();
    RowTitle(y, height, "KdBar");
    int length = track.Width() - knob.Width() - 2;
    const int positions[] = {0, length / 2, length};
    for (int i = 0; i < 3; ++i) {
        auto* bar = Add<KdBar>(this, Column(i), y);
        SetStates(*bar, m_skin.BarTrack, 3);
        bar->SetIndicator(knob);
        bar->SetOrigin(knob.Width() / 2 + 1, height / 2);
        bar->SetLength(length);
        bar->SetScrollPos(positions[i]);
        AddLabel(Column(i), y + height + 4, "ScrollPos " + std::to_string(positions[i]));
    }
    // A status light: disabled, with a picture of its own for that.
    auto* light = Add<KdBar>(this, Column(3), y);
    SetStates(*light, m_skin.BarTrack, 3);
    light->SetEnabled(false);
    AddLabel(Column(3), y + height + 4, "disabled");
    return y + height + 20 + kRowGap;
}

int TGalleryForm::AddShapes(int y, int width)
{
    RowTitle(y, 30, "Transparent");
    AddLabel(20, y + 24, "(keyed pixels cut)");
    // A ring: its hole and corners are the key colour and show the panel through.
    auto* ring = Add<KdButton>(this, Column(0), y + 5);
    TBitmap face;
    for (int state = 0; state < 4; ++state) {
        RadioFace(face, static_cast<Visual>(state), false);
        TCanvas& canvas = face.Canvas();
        canvas.Pen().SetColor(kControlKey);
        canvas.Brush().SetColor(kControlKey);
        canvas.Ellipse(6, 6, 14, 14);
        ring->SetStateBitmap(state, &face);
    }
    ring->SetTransparent(true);
    auto* opaque = Add<KdButton>(this, Column(0) + 40, y);
    ButtonFace(face, 60, 30, vRaised);
    opaque->SetStateBitmap(0, &face);
    AddLabel(Column(0) + 30, y + 34, "not Transparent");

    // A vertical bar at the right edge.
    auto* vertical = Add<KdBar>(this, width - 70, y);
    TBitmap upright;
    BarTrack(upright, 16, 100, true);
    vertical->SetStateBitmap(0, &upright);
    TBitmap flatKnob;
    BarKnob(flatKnob, 16, 8);
    vertical->SetIndicator(flatKnob);
    vertical->SetKind(TScrollBarKind::sbVertical);
    vertical->SetOrigin(8, 5);
    vertical->SetLength(90);
    vertical->SetScrollPos(30);
    AddLabel(width - 106, y + 104, "vertical KdBar");
    return y + 60;
}

// Handles messages for the given time.
void Settle(TApplication& app, DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        app.ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::string shot = __argc > 1 ? __argv[1] : "";
    try {
        TApplication app;
        app.SetTitle("Skinned controls");
        auto* form = app.CreateForm<TGalleryForm>();
        if (shot.empty()) {
            app.Run();
            return 0;
        }
        // No hover: the pointer waits outside the window.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        form->Show();
        Settle(app, 300);
        form->Repaint();
        Settle(app, 300);
        TBitmap picture;
        if (!CaptureWindow(form->Handle(), picture) || !SavePicture(picture, shot)) {
            std::fprintf(stderr, "gallery: cannot save %s\n", shot.c_str());
            return 1;
        }
        return 0;
    } catch (const Exception& e) {
        TApplication::ShowExceptionMessage(e, "Skinned controls");
        return 2;
    }
}
