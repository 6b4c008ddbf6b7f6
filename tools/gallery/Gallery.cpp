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

#include <cstdlib>
#include <string>

using namespace lumo;
using namespace gallery;

namespace {

constexpr int kWidth = 700;
constexpr int kHeight = 590;
constexpr int kFirstColumn = 150;
constexpr int kColumnStep = 110;
constexpr TColor kTitleColor = 0xDBDAD8;
constexpr TColor kNoteColor = 0xA09C94;
const RECT kChecker = {270, 500, 590, 570};

int Column(int index)
{
    return kFirstColumn + kColumnStep * index;
}

class TGalleryForm : public TForm
{
public:
    LUMO_CLASS_NAME(TGalleryForm)
    explicit TGalleryForm(TComponent* owner);

private:
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
    template <typename T> T* AddAlone(int x, int y, int width, int height)
    {
        auto* box = new TWinControl(this);
        box->SetParent(this);
        box->SetColor(0x302A1D);
        box->SetBounds(x, y, width, height);
        return Add<T>(box, 0, 0);
    }
    // Shows visual on a control the way the state machine would.
    static void Force(KdControl& control, Visual visual);

    void AddButtons();
    void AddCheckBoxes();
    void AddRadioButtons();
    void AddBricks();
    void AddBars();
    void AddShapes();

    TImage* m_background;
    TLayeredFormMaker m_shaper;
    FlickerEliminator m_flicker;
};

const char* const kVisualNames[] = {"raised", "sunken", "focused", "disabled"};

TGalleryForm::TGalleryForm(TComponent* owner) : TForm(owner)
{
    SetScaled(false);
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetCaption("Skinned controls");
    SetBounds(40, 40, kWidth, kHeight);
    Font().SetName("Tahoma");
    Font().SetHeight(-11);
    m_background = new TImage(this);
    m_background->SetParent(this);
    Background(m_background->Picture(), kWidth, kHeight, kChecker);

    AddLabel(20, 14, "Skinned controls (placeholder art; drag the panel to move it)", kTitleColor,
             true);
    for (int i = 0; i < 4; ++i) {
        AddLabel(Column(i) + 20, 42, kVisualNames[i], kTitleColor);
    }
    AddButtons();
    AddCheckBoxes();
    AddRadioButtons();
    AddBricks();
    AddBars();
    AddShapes();

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

void TGalleryForm::AddButtons()
{
    AddLabel(20, 70, "KdButton", kTitleColor, true);
    AddLabel(20, 114, "KdButtonTx", kTitleColor, true);
    for (int i = 0; i < 4; ++i) {
        auto* button = Add<KdButton>(this, Column(i), 62);
        auto* text = Add<KdButtonTx>(this, Column(i), 106);
        TBitmap face;
        for (int state = 0; state < 4; ++state) {
            ButtonFace(face, 90, 30, static_cast<Visual>(state));
            button->SetStateBitmap(state, &face);
            text->SetStateBitmap(state, &face);
        }
        for (KdButton* control : {button, static_cast<KdButton*>(text)}) {
            control->SetTransparent(true);
            Force(*control, static_cast<Visual>(i));
        }
        text->Font().SetName("Tahoma");
        text->Font().SetHeight(-12);
        text->Font().SetStyle(fsBold);
        text->Font().SetColor(0xCAC9CD);
        text->FontColors().SetFocused(0xFFFFFF);
        text->SetText("Setting");
    }
}

void TGalleryForm::AddCheckBoxes()
{
    AddLabel(20, 156, "KdCheckBox", kTitleColor, true);
    const char* const marks[] = {"unchecked", "checked", "grayed (AllowGrayed)"};
    for (int mark = 0; mark < 3; ++mark) {
        int y = 152 + 26 * mark;
        AddLabel(Column(4) - 10, y + 3, marks[mark]);
        for (int i = 0; i < 4; ++i) {
            auto* box = Add<KdCheckBox>(this, Column(i) + 35, y);
            TBitmap face;
            for (int visual = 0; visual < 4; ++visual) {
                for (int check = 0; check < 3; ++check) {
                    CheckBoxFace(face, static_cast<Visual>(visual), static_cast<CheckMark>(check));
                    box->SetStateBitmap(4 * check + visual, &face);
                }
            }
            box->SetAllowGrayed(true);
            box->SetState(static_cast<TCheckBoxState>(mark));
            Force(*box, static_cast<Visual>(i));
        }
    }
}

void TGalleryForm::AddRadioButtons()
{
    AddLabel(20, 240, "KdRadioButton", kTitleColor, true);
    for (int checked = 0; checked < 2; ++checked) {
        int y = 236 + 26 * checked;
        AddLabel(Column(4) - 10, y + 3, checked ? "checked" : "unchecked");
        for (int i = 0; i < 4; ++i) {
            auto* radio = AddAlone<KdRadioButton>(Column(i) + 35, y, 20, 20);
            TBitmap face;
            for (int visual = 0; visual < 4; ++visual) {
                for (int check = 0; check < 2; ++check) {
                    RadioFace(face, static_cast<Visual>(visual), check != 0);
                    radio->SetStateBitmap(4 * check + visual, &face);
                }
            }
            radio->SetTransparent(true);
            radio->SetChecked(checked != 0);
            Force(*radio, static_cast<Visual>(i));
        }
    }
}

void TGalleryForm::AddBricks()
{
    AddLabel(20, 300, "KdBrick", kTitleColor, true);
    AddLabel(20, 344, "KdBrickTx", kTitleColor, true);
    AddLabel(Column(4) - 10, 303, "no press shown");
    AddLabel(Column(4) - 10, 347, "text colour by state");
    const Visual pictures[] = {vRaised, vFocused, vDisabled};
    for (int i = 0; i < 4; ++i) {
        auto* brick = Add<KdBrick>(this, Column(i), 296);
        auto* text = Add<KdBrickTx>(this, Column(i), 340);
        TBitmap face;
        for (int state = 0; state < 3; ++state) {
            BrickFace(face, 90, 26, pictures[state]);
            brick->SetStateBitmap(state, &face);
            text->SetStateBitmap(state, &face);
        }
        Force(*brick, static_cast<Visual>(i));
        Force(*text, static_cast<Visual>(i));
        text->Font().SetName("Tahoma");
        text->Font().SetHeight(-12);
        text->Font().SetColor(0xE9B572);
        text->FontColors().SetFocused(0x00FF9E);
        text->SetText("12.5 W");
    }
}

void TGalleryForm::AddBars()
{
    AddLabel(20, 404, "KdBar", kTitleColor, true);
    TBitmap track;
    BarTrack(track, 100, 16, true);
    TBitmap knob;
    BarKnob(knob, 8, 16);
    const int positions[] = {0, 45, 90};
    const char* const names[] = {"ScrollPos 0", "ScrollPos 45", "ScrollPos 90 (Length)"};
    for (int i = 0; i < 3; ++i) {
        auto* bar = Add<KdBar>(this, Column(i), 402);
        bar->SetStateBitmap(0, &track);
        bar->SetIndicator(knob);
        bar->SetOrigin(5, 8);
        bar->SetLength(90);
        bar->SetScrollPos(positions[i]);
        AddLabel(Column(i), 424, names[i]);
    }
    // A status light: disabled, with a picture of its own for that.
    auto* light = Add<KdBar>(this, Column(3), 402);
    light->SetStateBitmap(0, &track);
    TBitmap off;
    BarTrack(off, 100, 16, false);
    light->SetStateBitmap(2, &off);
    light->SetEnabled(false);
    AddLabel(Column(3), 424, "disabled");

    auto* vertical = Add<KdBar>(this, 640, 466);
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
    AddLabel(626, 448, "vertical");
}

void TGalleryForm::AddShapes()
{
    AddLabel(20, 462, "Transparent", kTitleColor, true);
    AddLabel(20, 478, "(keyed pixels cut)");
    // A ring: its hole and corners are the key colour and show the panel through.
    auto* ring = Add<KdButton>(this, Column(0), 456);
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
    auto* opaque = Add<KdButton>(this, Column(0) + 40, 456);
    ButtonFace(face, 60, 30, vRaised);
    opaque->SetStateBitmap(0, &face);
    AddLabel(Column(0) + 40, 490, "not Transparent");

    AddLabel(20, 516, "KdImage", kTitleColor, true);
    const char* const names[] = {"AlphaChannel", "AlphaBlend 50%", "alpha ignored"};
    for (int i = 0; i < 3; ++i) {
        auto* image = new KdImage(this);
        image->SetParent(this);
        image->SetAutoSize(true);
        image->SetBounds(kChecker.left + 20 + 100 * i, kChecker.top + 11, 0, 0);
        AlphaDisc(image->Picture(), 48);
        image->SetAlphaChannel(i < 2);
        image->SetAlphaBlend(i == 1);
        image->SetAlphaValue(128);
        AddLabel(kChecker.left + 20 + 100 * i, kChecker.top - 16, names[i]);
    }
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
