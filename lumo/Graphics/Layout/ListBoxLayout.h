#pragma once
// List box layouts: they hook a list box so that its items are drawn through an owner-draw text
// layout. Attaching keeps the list box's draw-item, measure-item and window-procedure handlers
// and installs the layout's own; detaching puts all three back.
#include "lumo/Component/ListBox/ListBox.h"
#include "lumo/Graphics/Layout/OwnerDrawLayout.h"

#include <memory>

namespace lumo {

class TCustomListBoxLayout
{
public:
    TCustomListBoxLayout() = default;
    // Detaches.
    virtual ~TCustomListBoxLayout();
    TCustomListBoxLayout(const TCustomListBoxLayout&) = delete;
    TCustomListBoxLayout& operator=(const TCustomListBoxLayout&) = delete;

    // Hooks listBox (null: only detaches from the current one). A list box of the standard
    // style is switched to fixed owner drawing while attached and back on detaching. Item heights
    // are measured again both ways.
    void Attach(TListBox* listBox);
    void Detach();
    TListBox* ListBox() const { return m_listBox; }

protected:
    virtual void DrawItem(TListBox& listBox, TCanvas& canvas, int index, const RECT& rect,
                          UINT state) = 0;
    virtual void MeasureItem(TListBox& listBox, int index, int& height) = 0;
    // The list window's background-erase message (dc: the message's DC).
    virtual void EraseBackground(TListBox& listBox, HDC dc) = 0;

private:
    void ListMessage(TMessage& message);

    TListBox* m_listBox = nullptr;
    TDrawItemEvent m_previousDrawItem;
    TMeasureItemEvent m_previousMeasureItem;
    TWndMethod m_previousWindowProc;
    TNotifyEvent m_previousDestroy;
    bool m_wasStandard = false;
};

// Fills item backgrounds and the list's empty area.
class TListBackgroundPainter
{
public:
    virtual ~TListBackgroundPainter() = default;
    virtual void Paint(TCanvas& canvas, const RECT& rect, TColor colour);
};

class TListBoxLayout : public TCustomListBoxLayout
{
public:
    // Draws through textLayout (not owned), or through a plain owner-draw layout of its own.
    explicit TListBoxLayout(TOwnerDrawTextLayout* textLayout = nullptr);
    // Draws through textLayout, which it owns.
    explicit TListBoxLayout(std::unique_ptr<TOwnerDrawTextLayout> textLayout);
    ~TListBoxLayout() override;

    TOwnerDrawTextLayout& TextLayout() { return *m_textLayout; }
    // Null gives the plain fill back.
    void SetBackgroundPainter(std::unique_ptr<TListBackgroundPainter> painter);

    // Background of selected items (default the system highlight colour).
    TColor SelectedColor() const { return m_selectedColour; }
    void SetSelectedColor(TColor colour) { m_selectedColour = colour; }
    // 0 left, 1 right, 2 centre (default 0).
    int HorizontalAlignment() const { return m_horizontal; }
    void SetHorizontalAlignment(int alignment) { m_horizontal = alignment; }
    // 0 top, 1 bottom, 2 centre (default 2).
    int VerticalAlignment() const { return m_vertical; }
    void SetVerticalAlignment(int alignment) { m_vertical = alignment; }
    // Space above and below the text in an item (default 1 and 1); the text's height plus
    // these is the item height.
    int TopMargin() const { return m_topMargin; }
    int BottomMargin() const { return m_bottomMargin; }
    void SetMargins(int top, int bottom);
    // Space left and right of the text (default 2).
    int Indent() const { return m_indent; }
    void SetIndent(int indent) { m_indent = indent; }

    // DT_SINGLELINE | DT_NOPREFIX with the horizontal and vertical alignment flags.
    UINT AlignmentFlags() const;

protected:
    void DrawItem(TListBox& listBox, TCanvas& canvas, int index, const RECT& rect,
                  UINT state) override;
    void MeasureItem(TListBox& listBox, int index, int& height) override;
    // Paints the part of the list below the last item; the items paint themselves.
    void EraseBackground(TListBox& listBox, HDC dc) override;

private:
    std::unique_ptr<TOwnerDrawTextLayout> m_ownTextLayout;
    TOwnerDrawTextLayout* m_textLayout;
    std::unique_ptr<TListBackgroundPainter> m_painter;
    TColor m_selectedColour = clHighlight;
    int m_horizontal = 0;
    int m_vertical = 2;
    int m_topMargin = 1;
    int m_bottomMargin = 1;
    int m_indent = 2;
};

} // namespace lumo
