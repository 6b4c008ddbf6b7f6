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
#include "lumo/Forms/Component.h"
#include "views/SkinComboBoxParts.h"

#include <functional>
#include <string>
#include <vector>

class KdButton;

namespace lumo {
class TLabel;
} // namespace lumo

namespace tv {

class SkinComboBox : public lumo::TComponent
{
public:
    LUMO_CLASS_NAME(SkinComboBox)
    static constexpr lumo::TColor kCaptionColor = combo::kCaptionColor;
    static constexpr lumo::TColor kTextColor = combo::kTextColor;
    static constexpr lumo::TColor kDisabledTextColor = combo::kDisabledTextColor;
    static constexpr lumo::TColor kListColor = combo::kListColor;
    static constexpr lumo::TColor kSelectedColor = combo::kSelectedColor;
    // Where the parts lie relative to the drop-down's origin (the caption's top-left corner).
    static constexpr int kFieldTop = 13;
    static constexpr int kPanelLeft = -9;
    static constexpr int kPanelTop = 31;
    static constexpr int kPanelHeight = 90;
    static constexpr int kPanelExtraWidth = 39;

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

} // namespace tv
