// A list box hooked by a list box layout: its items are drawn and measured by the layout, the
// empty part below them is painted by the layout, and detaching gives the list box its own
// drawing back.
#include "lumo/Graphics/Layout/ListBoxLayout.h"
#include "tests/forms/FormsTestSupport.h"

#include <gtest/gtest.h>

namespace {

using formstest::CountColor;
using formstest::Render;
using lumo::TBitmap;
using lumo::TListBox;
using lumo::TListBoxStyle;

class ListBoxLayoutTest : public formstest::AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        m_form = new lumo::TForm(m_app.get());
        m_form->SetBorderStyle(lumo::TFormBorderStyle::bsNone);
        m_form->SetColor(lumo::clWhite);
        m_form->SetBounds(80, 80, 200, 160);
        m_list = new TListBox(m_form);
        m_list->SetParent(m_form);
        m_list->SetBorder(false);
        m_list->SetBounds(10, 10, 150, 120);
        m_list->SetColor(lumo::clYellow);
        m_list->Font().SetName("Arial");
        m_list->Font().SetHeight(-14);
        m_list->Font().SetColor(lumo::clBlack);
        m_list->SetItems({"Alpha", "Beta", "Gamma"});
        m_form->HandleNeeded();
    }

    // Item index's rectangle in the form's picture.
    RECT ItemArea(int index)
    {
        RECT rect = m_list->ItemRect(index);
        OffsetRect(&rect, m_list->Left(), m_list->Top());
        return rect;
    }

    lumo::TForm* m_form = nullptr;
    TListBox* m_list = nullptr;
};

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.PixelColor(x, y) != b.PixelColor(x, y)) {
                return false;
            }
        }
    }
    return true;
}

TEST_F(ListBoxLayoutTest, ItemsAreDrawnThroughTheLayoutUntilDetached)
{
    m_list->SetItemIndex(1);
    int systemHeight = m_list->ItemHeightOf(0);
    auto system = Render(*m_form);
    ASSERT_GT(CountColor(*system, ItemArea(0), lumo::clBlack), 10) << "the system drew text";

    {
        lumo::TListBoxLayout layout;
        layout.SetSelectedColor(lumo::clRed);
        layout.SetHorizontalAlignment(1);
        layout.SetMargins(3, 4);
        layout.Attach(m_list);
        EXPECT_EQ(TListBoxStyle::lbOwnerDrawFixed, m_list->Style());
        EXPECT_EQ(1, m_list->ItemIndex()) << "the selection survives the new list window";
        EXPECT_EQ(3, m_list->Count());

        lumo::TBitmap probe(1, 1);
        probe.Canvas().Font().Assign(m_list->Font());
        int textHeight = probe.Canvas().TextHeight("Wg");
        EXPECT_EQ(textHeight + 3 + 4, m_list->ItemHeightOf(0)) << "text height and margins";

        auto drawn = Render(*m_form);
        RECT first = ItemArea(0);
        int third = (first.right - first.left) / 3;
        RECT leftPart = {first.left, first.top, first.left + third, first.bottom};
        RECT rightPart = {first.right - third, first.top, first.right, first.bottom};
        EXPECT_EQ(0, CountColor(*drawn, leftPart, lumo::clBlack)) << "right-aligned text";
        EXPECT_GT(CountColor(*drawn, rightPart, lumo::clBlack), 10);
        RECT second = ItemArea(1);
        EXPECT_EQ(lumo::clRed, drawn->PixelColor(second.left + 2, second.top + 1))
            << "the layout's selection colour";
        // Below the last item the layout paints the list's colour; the items it leaves alone.
        RECT client = m_list->ListClientRect();
        RECT last = m_list->ItemRect(2);
        TBitmap erased(client.right, client.bottom);
        formstest::Fill(erased, client.right, client.bottom, lumo::clBlue);
        SendMessageA(m_list->ListHandle(), WM_ERASEBKGND,
                     reinterpret_cast<WPARAM>(erased.Canvas().Handle()), 0);
        EXPECT_EQ(lumo::clBlue, erased.PixelColor(5, last.bottom - 1));
        EXPECT_EQ(lumo::clYellow, erased.PixelColor(5, last.bottom));
        EXPECT_EQ(lumo::clYellow, erased.PixelColor(client.right - 1, client.bottom - 1));
    } // the layout detaches as it goes

    EXPECT_EQ(TListBoxStyle::lbStandard, m_list->Style());
    EXPECT_FALSE(m_list->OnDrawItem);
    EXPECT_FALSE(m_list->OnMeasureItem);
    EXPECT_EQ(systemHeight, m_list->ItemHeightOf(0));
    EXPECT_EQ(1, m_list->ItemIndex());
    auto again = Render(*m_form);
    EXPECT_TRUE(SamePixels(*system, *again)) << "the system draws the items again";
}

TEST_F(ListBoxLayoutTest, AnOwnerDrawnListGetsItsHandlersBack)
{
    m_list->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
    int ownDraws = 0;
    m_list->OnDrawItem = [&](TListBox* list, lumo::TCanvas& canvas, int index, const RECT& rect,
                             UINT state) {
        ++ownDraws;
        list->DrawItem(canvas, index, rect, state);
    };
    m_list->OnMeasureItem = [](TListBox*, int index, int& height) { height = 20 + index; };
    m_list->MeasureItems();
    EXPECT_EQ(22, m_list->ItemHeightOf(2));

    // What a WM_ERASEBKGND of the list window paints on a blue sheet, at an item and below.
    auto erase = [&] {
        RECT client = m_list->ListClientRect();
        TBitmap sheet(client.right, client.bottom);
        formstest::Fill(sheet, client.right, client.bottom, lumo::clBlue);
        SendMessageA(m_list->ListHandle(), WM_ERASEBKGND,
                     reinterpret_cast<WPARAM>(sheet.Canvas().Handle()), 0);
        RECT last = m_list->ItemRect(m_list->Count() - 1);
        return std::make_pair(sheet.PixelColor(5, last.bottom - 1),
                              sheet.PixelColor(5, client.bottom - 1));
    };
    auto yellow = std::make_pair(lumo::clYellow, lumo::clYellow);
    EXPECT_EQ(yellow, erase()) << "the list's own erasing fills everything";

    auto layout = std::make_unique<lumo::TListBoxLayout>(
        std::make_unique<lumo::TOwnerDrawShadedTextLayout>());
    layout->Attach(m_list);
    EXPECT_EQ(TListBoxStyle::lbOwnerDrawVariable, m_list->Style()) << "an owner-drawn list stays";
    int shadedHeight = m_list->ItemHeightOf(0);
    EXPECT_EQ(shadedHeight, m_list->ItemHeightOf(2)) << "every item measured by the layout";
    EXPECT_NE(20, shadedHeight);
    Render(*m_form);
    EXPECT_EQ(0, ownDraws);
    EXPECT_EQ(std::make_pair(lumo::clBlue, lumo::clYellow), erase())
        << "the layout paints only below the items";

    // Adding an item while attached measures it through the layout too.
    m_list->AddItem("Delta");
    EXPECT_EQ(shadedHeight, m_list->ItemHeightOf(3));

    layout->Detach();
    EXPECT_EQ(20, m_list->ItemHeightOf(0));
    EXPECT_EQ(23, m_list->ItemHeightOf(3));
    Render(*m_form);
    EXPECT_EQ(4, ownDraws) << "its own drawing is back";
    EXPECT_EQ(yellow, erase()) << "and its own erasing";

    // A list box destroyed while attached leaves the layout with nothing to restore.
    layout->Attach(m_list);
    delete m_list;
    EXPECT_EQ(nullptr, layout->ListBox());
    layout.reset();
}

TEST_F(ListBoxLayoutTest, TheListWindowBringsFocusKeysAndSelectionToTheControl)
{
    std::vector<std::string> events;
    m_list->OnEnter = [&](lumo::TObject*) { events.push_back("enter"); };
    m_list->OnExit = [&](lumo::TObject*) { events.push_back("exit"); };
    m_list->OnClick = [&](lumo::TObject*) {
        events.push_back("click " + std::to_string(m_list->ItemIndex()));
    };
    m_list->OnKeyDown = [&](lumo::TObject*, WORD& key, lumo::TShiftState) {
        events.push_back("key " + std::to_string(key));
        if (key == VK_UP) {
            key = 0; // taken: the list does not move
        }
    };
    auto* other = new formstest::TestBox(m_form);
    other->SetParent(m_form);
    other->SetBounds(170, 10, 20, 20);
    other->SetTabStop(true);
    lumo::TListBoxLayout layout;
    layout.Attach(m_list);
    m_form->Show();
    SetForegroundWindow(m_form->Handle());

    m_list->SetItemIndex(0);
    m_list->SetFocus();
    HWND list = m_list->ListHandle();
    EXPECT_EQ(list, GetFocus()) << "the list window holds the focus";
    EXPECT_EQ(m_list, m_form->ActiveControl());
    PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    PumpUntil([&] { return m_list->ItemIndex() == 1; });
    PostMessageA(list, WM_KEYDOWN, VK_UP, 0);
    PumpFor(50);
    EXPECT_EQ(1, m_list->ItemIndex());
    PostMessageA(list, WM_KEYDOWN, VK_TAB, 0);
    PumpUntil([&] { return other->Focused(); });
    std::vector<std::string> expected = {"enter", "key 40", "click 1", "key 38", "exit"};
    EXPECT_EQ(expected, events);
}

} // namespace
