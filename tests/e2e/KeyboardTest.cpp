// The window without a mouse: Alt and a letter open a menu of the menu bar
// or press the button whose caption underlines that letter, and a list that
// takes the focus by Tab shows a focused row.
#include "WindowFixture.h"
#include "driver/Eventually.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

using namespace e2e;

namespace {

class Keyboard : public WindowFixture {
protected:
    // Closes whatever menu is open, as Escape does, until none shows.
    void CloseMenus() {
        for (int attempt = 0; attempt < 3 && FindPopupMenu(app_->id()); ++attempt)
            TypeChord(main_, {VK_ESCAPE});
        EXPECT_TRUE(WaitUntil([&] { return FindPopupMenu(app_->id()) == nullptr; }));
    }

    int FocusedRow(int listId) const {
        return static_cast<int>(SendPlain(Control(listId), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                          LVNI_FOCUSED));
    }
};

TEST_F(Keyboard, AltAndTheMenuLetterOpenTheMenuAndItsItemLetterChooses) {
    ASSERT_TRUE(TypeChord(main_, {VK_MENU, 'F'}));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindPopupMenu(app_->id())) != nullptr; }))
        << "Alt+F opens no menu";
    // In the File menu, U chooses Update.
    ASSERT_TRUE(TypeChord(main_, {'U'}));
    Answer("Information", "Spyware database is up to date. You do not need to update it now.", "OK");
    CloseMenus();

    ASSERT_TRUE(TypeChord(main_, {VK_MENU, 'H'}));
    ASSERT_TRUE(WaitUntil([&] { return FindPopupMenu(app_->id()) != nullptr; })) << "Alt+H opens no menu";
    ASSERT_TRUE(TypeChord(main_, {'A'}));
    HWND about = WaitTopWindow(app_->id(), "About", nullptr);
    ASSERT_NE(about, nullptr) << "A in the Help menu shows no About box";
    ASSERT_TRUE(Click(FindControl(about, IDC_ABOUT_BITBTN1)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
}

TEST_F(Keyboard, AltAndAButtonLetterPressesTheButtonOfTheShownPage) {
    struct Press {
        WORD letter;
        int page;  // the page the button shows
    } const presses[] = {
        {'Q', IDC_TABSHEET5},  // Quarantine, left
        {'C', IDC_TABSHEET1},  // Cancel on the quarantine page
    };
    for (const Press &press : presses) {
        ASSERT_TRUE(TypeChord(main_, {VK_MENU, press.letter}));
        EXPECT_TRUE(OnlyPageShown(press.page)) << "after Alt+" << static_cast<char>(press.letter);
    }
    ChooseMenu(main_, IDM_REPORT1);
    ASSERT_TRUE(OnlyPageShown(IDC_TABSHEET2));
    ASSERT_TRUE(TypeChord(main_, {VK_MENU, 'R'}));  // Scan Results on the log page
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET3));
    ASSERT_TRUE(TypeChord(main_, {VK_MENU, 'R'}));  // Report on the results page
    EXPECT_TRUE(OnlyPageShown(IDC_TABSHEET2));
    ASSERT_TRUE(TypeChord(main_, {VK_MENU, 'A'}));  // Update, left
    Answer("Information", "Spyware database is up to date. You do not need to update it now.", "OK");
}

TEST_F(Keyboard, TabIntoTheDriveListShowsAFocusedRow) {
    ASSERT_GT(List(IDC_DRIVELIST).Count(), 0);
    HWND list = Control(IDC_DRIVELIST);
    bool reached = false;
    for (int press = 0; press < 20 && !reached; ++press) {
        // Each Tab moves the focus on: wait for the move before the next.
        const HWND before = FocusOf(main_);
        ASSERT_TRUE(TypeChord(main_, {VK_TAB}));
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(main_) != before; })) << "Tab moves no focus";
        reached = FocusOf(main_) == list;
    }
    ASSERT_TRUE(reached) << "Tab never reaches the drive list";
    EXPECT_TRUE(Becomes([&] { return FocusedRow(IDC_DRIVELIST); }, 0));
    // The row is only focused: neither selected (Copy would take it alone)
    // nor ticked.
    EXPECT_TRUE(HoldsFor([&] { return List(IDC_DRIVELIST).SelectedCount() == 0; }, 300));
    EXPECT_FALSE(List(IDC_DRIVELIST).Checked(0));
    // Space ticks the focused row, as in any list with check boxes.
    ASSERT_TRUE(TypeChord(main_, {VK_SPACE}));
    EXPECT_TRUE(Becomes([&] { return List(IDC_DRIVELIST).Checked(0); }, true));
}

} // namespace
