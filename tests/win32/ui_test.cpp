// The toolkit's controls in a real window: ticks of the check list, documents in the rich-text
// viewer, memo lines, windowless controls fed by their panel, and handler errors kept inside
// the window procedure.
#include "base/errors.h"
#include "ui/check_list.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/message_box.h"
#include "ui/rich_view.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <utility>
#include <vector>

using namespace ko;
using namespace ko::ui;

namespace {

class Toolkit : public ::testing::Test {
protected:
    void SetUp() override {
        Form.Create(L"Toolkit test", 400, 300, nullptr);
        Panel.Create(Form, 100, {0, 0, 400, 300}, RGB(255, 255, 255));
        SetMessageHandler([this](TMessageKind kind, const std::wstring& text) {
            Messages.emplace_back(kind, text);
        });
    }
    void TearDown() override { SetMessageHandler({}); }

    TForm Form;
    TPanel Panel;
    std::vector<std::pair<TMessageKind, std::wstring>> Messages;
};

LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

TEST_F(Toolkit, CheckListKeepsTicksInItemDataAndTogglesBySpaceAndClick) {
    TCheckListBox list;
    list.Create(Panel, 1, {10, 10, 300, 120}, 17);
    list.Add(L"C:\\One", true);
    list.Add(L"C:\\Two", false);
    HWND handle = list.Handle();
    EXPECT_EQ(SendMessageW(handle, LB_GETITEMHEIGHT, 0, 0), 17);
    EXPECT_EQ(SendMessageW(handle, LB_GETITEMDATA, 0, 0), 1);
    EXPECT_EQ(SendMessageW(handle, LB_GETITEMDATA, 1, 0), 0);
    EXPECT_EQ(list.Text(1), L"C:\\Two");

    SendMessageW(handle, LB_SETCARETINDEX, 1, FALSE);
    SendMessageW(handle, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(list.Checked(1));

    // A click on the box of the first row toggles it; a click on its text only selects.
    SendMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, Point(6, 8));
    SendMessageW(handle, WM_LBUTTONUP, 0, Point(6, 8));
    EXPECT_FALSE(list.Checked(0));
    SendMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, Point(150, 8));
    SendMessageW(handle, WM_LBUTTONUP, 0, Point(150, 8));
    EXPECT_FALSE(list.Checked(0));
    EXPECT_EQ(SendMessageW(handle, LB_GETCURSEL, 0, 0), 0);
    SendMessageW(handle, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(150, 8));
    SendMessageW(handle, WM_LBUTTONUP, 0, Point(150, 8));
    EXPECT_TRUE(list.Checked(0));
}

// The first and last column of Row's middle line, left of Right, that List paints in another
// colour than the window's.
std::pair<int, int> InkColumns(HWND list, int row, int right) {
    RECT client, item;
    GetClientRect(list, &client);
    SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
    HDC screen = GetDC(list);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
    const HGDIOBJ old = SelectObject(dc, picture);
    SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    std::pair<int, int> ink = {-1, -1};
    const int y = (item.top + item.bottom) / 2;
    for (int x = 0; x < right; ++x)
        if (GetPixel(dc, x, y) != GetSysColor(COLOR_WINDOW)) {
            ink.first = ink.first < 0 ? x : ink.first;
            ink.second = x;
        }
    SelectObject(dc, old);
    DeleteObject(picture);
    DeleteDC(dc);
    ReleaseDC(list, screen);
    return ink;
}

// On a 144-DPI display the rows, the boxes and the place a click toggles grow by half: a click
// anywhere on a box a trader sees toggles its row, not only on the corner a 96-DPI box had.
TEST_F(Toolkit, CheckListBoxesAndTheirClicksScaleTo144Dpi) {
    TCheckListBox list;
    list.Create(Panel, 1, {10, 10, 300, 120}, 17);
    // Rows without text: all the ink left of the list's middle is the box.
    list.Add(L"", false);
    list.Add(L"", false);
    Form.ApplyDpi(144);
    HWND handle = list.Handle();
    EXPECT_EQ(SendMessageW(handle, LB_GETITEMHEIGHT, 0, 0), 26);
    const auto [left, right] = InkColumns(handle, 1, 150);
    ASSERT_GE(left, 0) << "no box drawn";
    EXPECT_NEAR(right - left + 1, 20, 1) << "the box is 13 pixels at 96 DPI";

    RECT row;
    SendMessageW(handle, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    const int middle = (row.top + row.bottom) / 2;
    for (const int x : {(left + right) / 2, right - 1}) {
        SendMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, middle));
        SendMessageW(handle, WM_LBUTTONUP, 0, Point(x, middle));
        EXPECT_TRUE(list.Checked(1)) << "a click at " << x;
        EXPECT_FALSE(list.Checked(0));
        list.SetChecked(1, false);
    }
}

TEST_F(Toolkit, RichViewReadsRtfAndFallsBackToPlainText) {
    TRichView viewer;
    viewer.Create(Panel, 2, {0, 0, 300, 200});
    EXPECT_TRUE(viewer.LoadFromText("{\\rtf1\\ansi Hello {\\b bold} world\\par}", L""));
    EXPECT_EQ(viewer.PlainText().substr(0, 16), L"Hello bold world");

    EXPECT_FALSE(viewer.LoadFromText("Plain {text} \\par with caf\xe9",
                                     L"Plain {text} \\par with caf\u00e9"));
    EXPECT_EQ(viewer.PlainText(), L"Plain {text} \\par with caf\u00e9");

    EXPECT_FALSE(viewer.LoadFromText("", L""));
    EXPECT_EQ(viewer.PlainText(), L"");
}

TEST_F(Toolkit, MemoKeepsEmptyLinesAndClears) {
    TMemo memo;
    memo.Create(Panel, 3, {0, 0, 300, 200});
    memo.AddLine(L"");
    memo.AddLine(L"second");
    memo.AddLine(L"");
    EXPECT_EQ(memo.Lines(), (std::vector<std::wstring>{L"", L"second", L""}));
    memo.Clear();
    EXPECT_TRUE(memo.Lines().empty());
    memo.AddLine(L"again");
    EXPECT_EQ(memo.Caption(), L"again");
}

LRESULT CALLBACK RecordPositions(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR positions) {
    if (message == PBM_SETPOS)
        reinterpret_cast<std::vector<int>*>(positions)->push_back(int(wParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

// Visual styles make a bar glide forward on timers that never run while an install holds the
// thread; a step back is drawn at once. So every position, the last too, comes from one beyond.
TEST_F(Toolkit, ProgressBarStepsBackToEachPosition) {
    TProgressBar bar;
    bar.Create(Panel, 5, {0, 0, 200, 20}, 100);
    std::vector<int> positions;
    SetWindowSubclass(bar.Handle(), RecordPositions, 1, reinterpret_cast<DWORD_PTR>(&positions));
    bar.SetPosition(40);
    bar.SetPosition(100);
    EXPECT_EQ(positions, (std::vector<int>{41, 40, 101, 100}));
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(SendMessageW(bar.Handle(), PBM_GETRANGE, FALSE, 0), 100);
    RemoveWindowSubclass(bar.Handle(), RecordPositions, 1);
}

class TRecorder : public TGraphicControl {
public:
    TRecorder(const TRect& bounds, std::vector<std::string>& log, const char* name)
        : FLog(log), FName(name) {
        Bounds = bounds;
    }
    void Paint(HDC) override {}
    void MouseDown(POINT p) override { Record("down", p); }
    void MouseUp(POINT p) override { Record("up", p); }
    void MouseLeave() override { FLog.push_back(std::string(FName) + " leave"); }

private:
    void Record(const char* what, POINT p) {
        FLog.push_back(std::string(FName) + " " + what + " " + std::to_string(p.x) + "," +
                       std::to_string(p.y));
    }
    std::vector<std::string>& FLog;
    const char* FName;
};

TEST_F(Toolkit, PanelRoutesTheMouseToWindowlessControlsByRectangle) {
    std::vector<std::string> log;
    Panel.Add(std::make_unique<TRecorder>(TRect{10, 10, 100, 50}, log, "a"));
    auto& b = Panel.Add(std::make_unique<TRecorder>(TRect{50, 30, 100, 50}, log, "b"));
    HWND panel = Panel.Handle();
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 20));
    SendMessageW(panel, WM_LBUTTONUP, 0, Point(20, 20));
    // Where the two overlap the one added last wins; outside both nothing is told.
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, Point(60, 40));
    // The pressed control keeps the mouse until release, wherever that happens.
    SendMessageW(panel, WM_LBUTTONUP, 0, Point(300, 250));
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, Point(300, 250));
    b.Visible = false;
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, Point(60, 40));
    SendMessageW(panel, WM_LBUTTONUP, 0, Point(60, 40));
    EXPECT_EQ(log, (std::vector<std::string>{"a down 20,20", "a up 20,20", "b down 60,40",
                                             "b up 300,250", "a down 60,40", "a up 60,40"}));
}

TEST_F(Toolkit, AnErrorInAHandlerBecomesAnErrorBox) {
    TButton button;
    button.Create(Panel, 4, {0, 0, 75, 25}, L"Go");
    struct TThrower {
        void Click() { throw EKoError("TThrower.Click: cannot go on"); }
    } thrower;
    button.OnClick = Bind<&TThrower::Click>(&thrower);
    SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].first, TMessageKind::Error);
    EXPECT_EQ(Messages[0].second, L"TThrower.Click: cannot go on");
}

} // namespace
