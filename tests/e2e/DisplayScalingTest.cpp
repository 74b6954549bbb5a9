// The real window and its About box at the display scaling the prefix is set
// to: run-e2e.sh runs these tests at 96 DPI with the others, then again at
// 144 and 192 DPI (BVX_E2E_DPI says which). Every control's text fits its
// control, measured in the control's font; no two shown controls overlap;
// every control lies inside its parent; the window starts at its smallest
// size and its lists grow with it.
#include "WindowFixture.h"
#include "driver/Eventually.h"
#include "driver/FontProbe.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <sstream>
#include <vector>

using namespace e2e;

namespace {

int ExpectedDpi() {
    const std::string dpi = Setting("BVX_E2E_DPI");
    return dpi.empty() ? 96 : std::atoi(dpi.c_str());
}

int Scaled(int length) { return MulDiv(length, ExpectedDpi(), 96); }

bool Shown(HWND control) { return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

RECT InParent(HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT *>(&place), 2);
    return place;
}

std::string Describe(HWND control) {
    std::ostringstream out;
    const RECT place = InParent(control);
    out << ClassOf(control) << " " << GetDlgCtrlID(control) << " \"" << GetText(control) << "\" at ("
        << place.left << "," << place.top << ")-(" << place.right << "," << place.bottom << ")";
    return out.str();
}

// The direct children of a window.
std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Every shown window below the root, depth first; a hidden window's
// children are left out with it (a hidden page).
void CollectShown(HWND parent, std::vector<HWND> &shown) {
    for (HWND child : DirectChildren(parent)) {
        if (!Shown(child))
            continue;
        shown.push_back(child);
        CollectShown(child, shown);
    }
}

// Frames and separators are drawn around or between others and carry no text.
bool IsDecoration(HWND control) {
    if (ClassOf(control) != "Static")
        return false;
    const LONG kind = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    return kind == SS_ETCHEDFRAME || kind == SS_ETCHEDHORZ || kind == SS_ETCHEDVERT;
}

// The control's font, made again in this process from the description the
// probe reads inside the program. Null when the control has no font of the
// program's (it would draw in the system font).
HFONT FontLike(HWND control) {
    const FontProbeAnswer answer = AskControlFont(control);
    EXPECT_TRUE(answer.answered) << "the font probe did not run inside the program";
    return answer.hasFont ? CreateFontIndirectW(&answer.font) : nullptr;
}

// The room the text takes in the font: one line, or broken at words within
// the width when wrapWidth is given; the ampersand of a mnemonic takes none.
SIZE TextRoom(HFONT font, const std::string &text, bool prefix, int wrapWidth = 0) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    RECT room{0, 0, wrapWidth, 0};
    DrawTextA(screen, text.c_str(), -1, &room,
              DT_CALCRECT | (prefix ? 0 : DT_NOPREFIX) | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return SIZE{room.right - room.left, room.bottom - room.top};
}

// Asks a push button of the program how large its glyph and caption want it.
SIZE IdealSize(HANDLE process, HWND button) {
    RemoteBuffer remote(process, sizeof(SIZE));
    SIZE ideal{0, 0};
    remote.Write(&ideal, sizeof ideal);
    if (SendMessageTimeoutA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(remote.address()),
                            SMTO_BLOCK, kWaitMs, nullptr))
        remote.Read(&ideal, sizeof ideal);
    return ideal;
}

class DisplayScaling : public WindowFixture {
protected:
    // Texts that the layout breaks into lines: the About box's legal notice.
    static bool Wraps(HWND control) { return GetDlgCtrlID(control) == IDC_ABOUT_LABEL8; }

    void ExpectTextFits(HWND control) const {
        const std::string text = GetText(control);
        const std::string cls = ClassOf(control);
        if (text.empty() || (cls != "Button" && cls != "Static"))
            return;
        HFONT font = FontLike(control);
        ASSERT_NE(font, nullptr) << "the program gave no font to " << Describe(control);
        RECT client;
        GetClientRect(control, &client);
        const bool prefix = cls == "Button" || !(GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX);
        const SIZE line = TextRoom(font, text, prefix);
        if (Wraps(control)) {
            const SIZE lines = TextRoom(font, text, prefix, client.right);
            EXPECT_LE(lines.cy, client.bottom) << "the text is cut: " << Describe(control);
        } else {
            EXPECT_LE(line.cx, client.right) << "the text runs past " << Describe(control);
            EXPECT_LE(line.cy, client.bottom) << "the text is cut: " << Describe(control);
        }
        if (cls == "Button") {
            // The button's own measure takes in its glyph and border.
            const SIZE ideal = IdealSize(app_->handle(), control);
            EXPECT_GT(ideal.cx, line.cx) << Describe(control);
            EXPECT_LE(ideal.cx, client.right) << "glyph and caption overflow " << Describe(control);
            EXPECT_LE(line.cy + Scaled(4), client.bottom) << "no room around " << Describe(control);
        }
        DeleteObject(font);
    }

    // Siblings that both show never share a pixel, and each lies inside its
    // parent's client area.
    void ExpectNoOverlap(HWND parent) const {
        RECT inside;
        GetClientRect(parent, &inside);
        std::vector<HWND> shown;
        for (HWND child : DirectChildren(parent))
            if (Shown(child))
                shown.push_back(child);
        for (size_t first = 0; first < shown.size(); ++first) {
            const RECT place = InParent(shown[first]);
            EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= inside.right &&
                        place.bottom <= inside.bottom)
                << Describe(shown[first]) << " leaves its parent of " << inside.right << " x "
                << inside.bottom;
            if (IsDecoration(shown[first]))
                continue;
            for (size_t second = first + 1; second < shown.size(); ++second) {
                if (IsDecoration(shown[second]))
                    continue;
                RECT common;
                const RECT other = InParent(shown[second]);
                EXPECT_FALSE(IntersectRect(&common, &place, &other))
                    << Describe(shown[first]) << " overlaps " << Describe(shown[second]);
            }
        }
    }

    void ExpectWhole(HWND root, const std::string &what) const {
        SCOPED_TRACE(what);
        std::vector<HWND> shown;
        CollectShown(root, shown);
        ASSERT_GT(shown.size(), 3u);
        ExpectNoOverlap(root);
        for (HWND control : shown) {
            ExpectTextFits(control);
            ExpectNoOverlap(control);
        }
    }

    // Shows each page in turn (the counters page by a scan of no drive,
    // whose closing box is answered) and checks it.
    void ExpectEveryPageWhole(const std::string &when) {
        ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET1));
        ExpectWhole(main_, when + ", drives page");
        ChooseMenu(main_, IDM_REPORT1);
        ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET2));
        ExpectWhole(main_, when + ", log page");
        ClickButton(IDC_BITBTN15);
        ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET3));
        ExpectWhole(main_, when + ", results page");
        ChooseMenu(main_, IDM_QUARANTINE1);
        ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET5));
        ExpectWhole(main_, when + ", quarantine page");
        ClickButton(IDC_BITBTN3);
        Answer("Information", kStartMessage, "OK");
        ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET4));
        ModalBox summary = WaitBox(app_->id(), "Information");
        ASSERT_NE(summary.window, nullptr);
        ExpectWhole(main_, when + ", counters page");
        ASSERT_TRUE(PressBoxButton(summary, "OK"));
        ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET1));
    }

    SIZE WindowSize() const {
        RECT frame;
        GetWindowRect(main_, &frame);
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    }
};

TEST_F(DisplayScaling, TheWindowRunsAtThePrefixScalingAndStartsAtItsSmallestSize) {
    HDC screen = GetDC(nullptr);
    const int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(screenDpi, ExpectedDpi()) << "the prefix is not at the scaling this run is for";

    // A window laid out in fixed pixels would keep 534 x 334.
    RECT client;
    GetClientRect(main_, &client);
    EXPECT_GE(client.right, Scaled(534));
    EXPECT_GE(client.bottom, Scaled(334));
    const LONG style = GetWindowLongA(main_, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    // Today's size is the smallest the frame can be dragged to.
    MINMAXINFO limits{};
    ASSERT_NE(SendMessageTimeoutA(main_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits),
                                  SMTO_BLOCK, kWaitMs, nullptr), 0);
    const SIZE size = WindowSize();
    EXPECT_EQ(limits.ptMinTrackSize.x, size.cx);
    EXPECT_EQ(limits.ptMinTrackSize.y, size.cy);
}

TEST_F(DisplayScaling, EveryPageKeepsItsTextsWholeAndItsControlsApart) {
    ExpectEveryPageWhole("at the smallest size");
}

TEST_F(DisplayScaling, MaximisedTheListsGrowAndEveryPageStaysWhole) {
    RECT before;
    GetClientRect(FindControl(main_, IDC_DRIVELIST), &before);
    ShowWindow(main_, SW_MAXIMIZE);
    RECT after{};
    ASSERT_TRUE(WaitUntil([&] {
        GetClientRect(FindControl(main_, IDC_DRIVELIST), &after);
        return after.right > before.right && after.bottom > before.bottom;
    })) << "the drive list keeps " << before.right << " x " << before.bottom;
    ExpectEveryPageWhole("maximised");
    ShowWindow(main_, SW_RESTORE);
}

TEST_F(DisplayScaling, TheAboutBoxKeepsItsTextsWholeAndItsControlsApart) {
    ClickButton(IDC_BITBTN2);
    HWND about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Becomes([&] { return GetText(FindControl(about, IDC_ABOUT_LABEL2)).empty(); }, false));
    RECT client;
    GetClientRect(about, &client);
    EXPECT_GE(client.right, Scaled(299));
    EXPECT_GE(client.bottom, Scaled(209));
    ExpectWhole(about, "About");
    ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
}

} // namespace
