#pragma once
// Dims the main window while another window has the user's attention: a dark, translucent copy
// of the main window's current background (so shaped exactly like the window in either view),
// placed over it.
#include "lumo/Forms/Form.h"
#include "lumo/Forms/Image.h"
#include "lumo/widget/Source/FlickerEliminator.h"
#include "lumo/widget/Source/TShapedForm.h"

namespace tv {

class TCoverDialog : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TCoverDialog)
    // Every shown pixel of the copy takes this colour (red 89, green 81, blue 60).
    static constexpr lumo::TColor kCoverColor = 0x3C5159;
    static constexpr BYTE kCoverAlpha = 100;

    explicit TCoverDialog(lumo::TComponent* owner);
    ~TCoverDialog() override;

    // Takes the main window and its background image (both outlive the cover): builds the
    // dimmed copy, shapes the cover by it without dragging, alpha 100, owned by the main window.
    void Prepare(lumo::TForm& mainForm, lumo::TImage& mainBackground);
    bool Prepared() const { return m_mainForm != nullptr; }
    // The main window it covers, once prepared.
    lumo::TForm* MainForm() const { return m_mainForm; }

    // The dimmed copy of a picture: every pixel other than the picture's key colour (its
    // lower-left pixel) becomes kCoverColor, 24-bit; key pixels stay the key.
    static void DimmedCopy(const lumo::TBitmap& source, lumo::TBitmap& copy);

    // Unprepared, the cover stays hidden.
    void SetVisible(bool visible) override;

    lumo::TImage& Background() { return *m_background; }
    lumo::TLayeredFormMaker& Shaper() { return m_shaper; }

protected:
    // Copies the main background again, takes its size and shape, turns the alpha on and moves
    // to the main window's place.
    void DoShow() override;
    void DoHide() override;

private:
    void Rebuild();

    lumo::TImage* m_background;
    lumo::TForm* m_mainForm = nullptr;
    lumo::TImage* m_mainBackground = nullptr;
    lumo::TLayeredFormMaker m_shaper;
    lumo::FlickerEliminator m_flicker;
};

} // namespace tv
