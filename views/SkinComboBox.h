#pragma once
// The skinned drop-down list of the advanced settings: a caption, a value panel showing the
// chosen item, an arrow button and a drop panel with an owner-drawn list. The parts sit on one
// parent control side by side and move together.
//
// The arrow button or a click on the value panel toggles the drop panel. Keys, as a Windows
// drop-down list: with the panel closed, Down, Up, Alt+Down, Alt+Up and F4 open it; with it
// open, the arrows move the highlight, Enter or Alt+Up/Alt+Down/F4 choose the highlighted item,
// Escape closes it without a choice. A press of a mouse button anywhere else in the application,
// or the application losing the activation, closes an open panel.
#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Component.h"
#include "lumo/Component/ListBox/ListBox.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class KdButton;

namespace lumo {
class TLabel;
class TListBox;
class TListBoxLayout;
class TOwnerDrawTextLayout;
} // namespace lumo

namespace tv {

// The pictures the drop-downs are drawn from (not owned; they outlive the drop-downs).
struct SkinComboBoxParts
{
    // The arrow button's raised, sunken, focused and disabled states.
    lumo::TBitmap* arrow[4] = {nullptr, nullptr, nullptr, nullptr};
    lumo::TBitmap* field = nullptr;  // the value panel
    lumo::TBitmap* body = nullptr;   // a slice of the drop panel's sides, stretched
    lumo::TBitmap* bottom = nullptr; // the drop panel's bottom edge
    lumo::TBitmap* mask = nullptr;   // the drop panel's outline: black inside, keyed outside
};

class TComboValuePanel;
class TComboDropPanel;

class SkinComboBox : public lumo::TComponent
{
public:
    LUMO_CLASS_NAME(SkinComboBox)
    // Colours as Windows colour values.
    static constexpr lumo::TColor kCaptionColor = 0x4D3F28;
    static constexpr lumo::TColor kTextColor = 0xFEFCF4;
    static constexpr lumo::TColor kDisabledTextColor = 0x9E9C94;
    static constexpr lumo::TColor kListColor = 0x847967;
    static constexpr lumo::TColor kSelectedColor = 0x6A5641;
    // Where the parts lie relative to the drop-down's origin (the caption's top-left corner).
    static constexpr int kFieldTop = 13;
    static constexpr int kPanelLeft = -9;
    static constexpr int kPanelTop = 31;
    static constexpr int kPanelHeight = 90;
    static constexpr int kPanelExtraWidth = 39;
    // The value text's box inside the value panel.
    static constexpr int kTextLeft = 4;
    static constexpr int kTextTop = 2;
    static constexpr int kTextWidth = 124;

    // The parts are made on parent (owned by this component's owner's window tree) and shown.
    SkinComboBox(lumo::TComponent* owner, lumo::TWinControl& parent,
                 const SkinComboBoxParts& parts);
    ~SkinComboBox() override;

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // Moves every part so that the caption's top-left corner is at (left, top) of the parent.
    void MoveTo(int left, int top);
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    // Shows or hides every part; the drop panel only ever opens on request.
    void SetVisible(bool visible);
    bool Visible() const { return m_visible; }
    // Disabled: the panel closes, the arrow shows its disabled picture, the text turns grey.
    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }
    // A colour for the value text in every state instead of white and grey (clNone: none).
    void SetTextColorOverride(lumo::TColor color);
    // The value text's colour now.
    lumo::TColor TextColor() const;

    // Replaces the items; nothing is selected afterwards and the value text is empty.
    void SetItems(const std::vector<std::string>& items);
    const std::vector<std::string>& Items() const { return m_items; }
    // -1 when nothing is selected.
    int ItemIndex() const { return m_index; }
    // Selects an item (an index outside the list selects nothing) and shows its text. The change
    // callback does not fire.
    void SetItemIndex(int index);
    // What the value panel shows.
    const std::string& Text() const { return m_text; }

    bool DroppedDown() const;
    void OpenPanel();
    // Closes the panel without a choice.
    void ClosePanel();
    void TogglePanel();

    // The user chose an item from the panel.
    lumo::TNotifyEvent OnChange;
    // Keys the drop-down does not use itself (from its arrow button and its list).
    lumo::TKeyEvent OnKeyDown;

    // The parts, for the window that holds them and for tests.
    lumo::TLabel& CaptionLabel() { return *m_caption; }
    TComboValuePanel& ValuePanel() { return *m_value; }
    KdButton& ArrowButton() { return *m_arrow; }
    TComboDropPanel& DropPanel() { return *m_panel; }
    lumo::TListBox& List();
    // The drop-down whose panel is open in this program, or null.
    static SkinComboBox* OpenOne();

private:
    friend class TComboDropPanel;

    static LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CallHook(int code, WPARAM wParam, LPARAM lParam);
    // The thread's hooks, installed with the first open panel and kept while drop-downs exist.
    static void InstallHooks();
    static void RemoveHooks();

    // refocus: a focus inside the panel moves to the arrow button.
    void HidePanel(bool refocus);
    // The list lost the focus: the panel closes unless the focus went to the arrow.
    void FocusLeft();
    void Choose(int index);
    void KeyDown(lumo::TObject* sender, WORD& key, lumo::TShiftState shift);
    void ListMessage(lumo::TMessage& message);
    // Whether a press at a screen point on window belongs to this drop-down (it then does not
    // close the panel).
    bool OwnsPress(HWND window, POINT screen);
    void UpdateText();

    lumo::TWinControl& m_parent;
    lumo::TLabel* m_caption;
    TComboValuePanel* m_value;
    KdButton* m_arrow;
    TComboDropPanel* m_panel;
    std::vector<std::string> m_items;
    int m_index = -1;
    std::string m_text;
    int m_left = 0;
    int m_top = 0;
    bool m_visible = true;
    bool m_enabled = true;
    lumo::TColor m_textOverride;
    lumo::TWndMethod m_listProc;
};

// The value panel: the field picture with the chosen item's text. A click on it toggles the drop
// panel while the drop-down is enabled.
class TComboValuePanel : public lumo::TGraphicControl
{
public:
    LUMO_CLASS_NAME(TComboValuePanel)
    TComboValuePanel(lumo::TComponent* owner, lumo::TBitmap* field);

    void SetText(const std::string& text, lumo::TColor color);
    // The font height the text is drawn with: the caption's -12, smaller for a text that would
    // not fit its box otherwise (down to -9, then cut with an ellipsis).
    int TextFontHeight() const { return m_fontHeight; }
    void Paint(lumo::TCanvas& canvas) override;

private:
    void FitText();

    lumo::TBitmap* m_field;
    std::string m_text;
    lumo::TColor m_color = SkinComboBox::kTextColor;
    int m_fontHeight = -12;
};

// The drop panel: the sides and bottom pictures around the list, shaped by the mask picture.
class TComboDropPanel : public lumo::TWinControl
{
public:
    LUMO_CLASS_NAME(TComboDropPanel)
    // Posted to the panel when the list lost the focus.
    static constexpr UINT kFocusCheck = WM_APP + 0x120;

    TComboDropPanel(lumo::TComponent* owner, const SkinComboBoxParts& parts);
    ~TComboDropPanel() override;

    lumo::TListBox& List() { return *m_list; }
    void Paint(lumo::TCanvas& canvas) override;
    void WndProc(lumo::TMessage& message) override;

protected:
    void CreateWnd() override;
    void Resize() override;

private:
    class FittingLayout;
    void Shape();

    lumo::TBitmap* m_body;
    lumo::TBitmap* m_bottom;
    lumo::TBitmap* m_mask;
    lumo::TListBox* m_list;
    std::unique_ptr<FittingLayout> m_fitting;
    std::unique_ptr<lumo::TOwnerDrawTextLayout> m_itemText;
    std::unique_ptr<lumo::TListBoxLayout> m_layout;
};

} // namespace tv
