#pragma once
// A list box control: a framework control holding the system's list box window, with owner
// drawing as events. The items live in the control, so the list window can be made again (a
// change of style) without losing them. Draw-item, measure-item and the list window's message
// handler are plain values: a hook saves them, installs its own and puts them back.
#include "lumo/Forms/WinControl.h"

#include <functional>
#include <string>
#include <vector>

namespace lumo {

class TListBox;

enum class TListBoxStyle
{
    lbStandard,          // the system draws the items
    lbOwnerDrawFixed,    // OnDrawItem draws; one height (OnMeasureItem for item 0)
    lbOwnerDrawVariable, // OnDrawItem draws; OnMeasureItem per item
};

// state: the ODS_* flags of the item.
using TDrawItemEvent = std::function<void(TListBox* listBox, TCanvas& canvas, int index,
                                          const RECT& rect, UINT state)>;
using TMeasureItemEvent = std::function<void(TListBox* listBox, int index, int& height)>;
using TWndMethod = std::function<void(TMessage& message)>;

class TListBox : public TWinControl
{
public:
    LUMO_CLASS_NAME(TListBox)
    explicit TListBox(TComponent* owner);
    ~TListBox() override;

    TListBoxStyle Style() const { return m_style; }
    // Makes the list window again in the new style when it exists.
    void SetStyle(TListBoxStyle style);
    // A sunken edge around the list (default true).
    bool Border() const { return m_border; }
    void SetBorder(bool border);

    int Count() const { return static_cast<int>(m_items.size()); }
    const std::string& Item(int index) const { return m_items.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& Items() const { return m_items; }
    void AddItem(const std::string& text);
    void SetItems(const std::vector<std::string>& items);
    void ClearItems();

    // The selected item, -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int TopIndex() const;

    // The height an item gets unless OnMeasureItem says otherwise (default 16; 1 .. 255).
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int height);
    // The height the list window gives an item now.
    int ItemHeightOf(int index) const;
    // An item's rectangle in the list window's client area (empty when it is out of range).
    RECT ItemRect(int index) const;
    // The list window's client area.
    RECT ListClientRect() const;
    // The system list window (made with the control's window).
    HWND ListHandle();

    // Asks the measure handler again: item 0 for the fixed style, every item for the variable
    // style, and repaints.
    void MeasureItems();

    void SetColor(TColor colour) override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;

    // Draws an item of an owner-drawn list; nothing set: DrawItem below.
    TDrawItemEvent OnDrawItem;
    // Adjusts the height of an owner-drawn item, which starts as ItemHeight.
    TMeasureItemEvent OnMeasureItem;
    // Every message of the list window goes here; the default is ListWndProc.
    TWndMethod WindowProc;
    // Fires when the control is being destroyed (hooks let go of it).
    TNotifyEvent OnDestroy;

    // The control's handling of a message of the list window: focus and key messages reach
    // the control's enter, exit and key events, then the system list box handles them.
    void ListWndProc(TMessage& message);
    // The system list box's own handling of a message of the list window.
    void ListDefaultHandler(TMessage& message);
    // The default owner drawing: selection colours, the text 2 pixels in, vertically centred.
    virtual void DrawItem(TCanvas& canvas, int index, const RECT& rect, UINT state);

protected:
    void WndProc(TMessage& message) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc, const RECT& clip) override;
    void Resize() override;
    void FontChanged() override;

private:
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void CreateList();
    void DestroyList();
    void RecreateList();
    int MeasureItem(int index);
    void DrawItemMessage(const DRAWITEMSTRUCT& item);
    void UpdateBrush();

    TListBoxStyle m_style = TListBoxStyle::lbStandard;
    bool m_border = true;
    std::vector<std::string> m_items;
    int m_itemIndex = -1;
    int m_itemHeight = 16;
    HWND m_list = nullptr;
    WNDPROC m_listProc = nullptr;
    BrushHandle m_brush;
};

} // namespace lumo
