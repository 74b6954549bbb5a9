// The Win32 layer's owners close what they own exactly once, a moved-from
// owner closes nothing, and a selected object is put back; its error texts
// and text conversions behave as their callers rely on.
#include "GdiHandle.h"
#include "SystemErrorText.h"
#include "TextConversion.h"
#include "WinHandle.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

bool KernelObjectAlive(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

bool GdiObjectAlive(HGDIOBJ object) { return GetObjectType(object) != 0; }

bool KeyAlive(HKEY key) {
    DWORD subKeys = 0;
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool MenuAlive(HMENU menu) { return IsMenu(menu) != FALSE; }

// Moves a fresh handle from one owner into another: it stays open while the
// moved-from owner ends, and closes when the last owner does.
template <typename Owner, typename Alive>
void ExpectMoveKeepsOpen(typename Owner::Handle handle, Alive alive) {
    ASSERT_TRUE(alive(handle));
    Owner last;
    {
        Owner first(handle);
        last = std::move(first);
        EXPECT_FALSE(first.valid());
    }
    EXPECT_TRUE(alive(handle)) << "a moved-from owner closed its handle";
    last.reset();
    EXPECT_FALSE(alive(handle)) << "the owner did not close its handle";
}

TEST(OwnersTest, MovedFromOwnerClosesNothing) {
    ExpectMoveKeepsOpen<brenvald::FileHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr),
                                              KernelObjectAlive);
    ExpectMoveKeepsOpen<brenvald::GdiObject<HBRUSH>>(CreateSolidBrush(RGB(1, 2, 3)),
                                                     GdiObjectAlive);
    ExpectMoveKeepsOpen<brenvald::GdiObject<HBITMAP>>(CreateBitmap(4, 4, 1, 32, nullptr),
                                                      GdiObjectAlive);
    ExpectMoveKeepsOpen<brenvald::MemoryDC>(CreateCompatibleDC(nullptr), GdiObjectAlive);
    ExpectMoveKeepsOpen<brenvald::MenuHandle>(CreateMenu(), MenuAlive);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    ExpectMoveKeepsOpen<brenvald::RegistryKey>(key, KeyAlive);
}

TEST(OwnersTest, PutClosesTheHandleHeldBefore) {
    brenvald::RegistryKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    const HKEY first = key.get();
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    EXPECT_TRUE(KeyAlive(key.get()));
    // The system may hand the closed handle's value out again.
    if (key.get() != first) {
        EXPECT_FALSE(KeyAlive(first));
    }
}

// Each kind of object selected into a memory DC for a scope: the DC's own
// object of that kind is current again afterwards.
TEST(OwnersTest, SelectedObjectPutsTheOldOneBack) {
    const brenvald::MemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc.valid());
    const brenvald::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc.get(), 8, 8));
    const brenvald::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(10, 20, 30)));
    const brenvald::GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(40, 50, 60)));
    const brenvald::GdiObject<HFONT> font(CreateFontA(12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                      DEFAULT_PITCH, "Arial"));
    const struct {
        UINT kind;
        HGDIOBJ object;
    } rows[] = {{OBJ_BITMAP, bitmap.get()}, {OBJ_BRUSH, brush.get()}, {OBJ_PEN, pen.get()},
                {OBJ_FONT, font.get()}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind);
        const HGDIOBJ before = GetCurrentObject(dc.get(), row.kind);
        ASSERT_NE(before, row.object);
        {
            const brenvald::SelectedObject selected(dc.get(), row.object);
            EXPECT_EQ(GetCurrentObject(dc.get(), row.kind), row.object);
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), row.kind), before);
    }
}

TEST(OwnersTest, SelectingNoObjectChangesNothing) {
    const brenvald::MemoryDC dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_FONT);
    {
        const brenvald::SelectedObject selected(dc.get(), nullptr);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), before);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), before);
}

bool EndsWithAnyOf(const std::string &text, const char *characters) {
    return !text.empty() && std::string(characters).find(text.back()) != std::string::npos;
}

TEST(SystemErrorTextTest, TextsHaveNoLineEnd) {
    for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION,
                       ERROR_ALREADY_EXISTS, ERROR_INVALID_NAME}) {
        SCOPED_TRACE(code);
        const auto ansi = brenvald::SystemErrorTextAnsi(code);
        const auto utf8 = brenvald::SystemErrorTextUtf8(code);
        const auto ansiTrimmed = brenvald::SystemErrorTextAnsi(code, "\r\n ");
        ASSERT_TRUE(ansi && utf8 && ansiTrimmed);
        EXPECT_FALSE(ansi->empty());
        EXPECT_FALSE(EndsWithAnyOf(*ansi, "\r\n"));
        EXPECT_FALSE(EndsWithAnyOf(*utf8, "\r\n"));
        EXPECT_FALSE(EndsWithAnyOf(*ansiTrimmed, "\r\n "));
        // The system's English texts are ASCII, which both forms spell alike.
        EXPECT_EQ(*ansi, *utf8);
    }
}

TEST(SystemErrorTextTest, UnknownCodeHasNoText) {
    EXPECT_FALSE(brenvald::SystemErrorTextAnsi(0x2000ABCD).has_value());
    EXPECT_FALSE(brenvald::SystemErrorTextUtf8(0x2000ABCD).has_value());
}

TEST(TextConversionTest, StrictAndLenientUtf8) {
    const struct {
        std::string utf8;
        bool exact;
        std::wstring wide;
    } rows[] = {
        {"", true, L""},
        {"plain.exe", true, L"plain.exe"},
        {u8"gr\u00fc\u00dfe \u65e5\u672c", true, L"gr\u00fc\u00dfe \u65e5\u672c"},
        {"caf\xe9", false, L""},  // ANSI, not UTF-8
        {"\xc3", false, L""},     // a sequence cut short
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.utf8);
        std::wstring wide = L"stale";
        EXPECT_EQ(brenvald::WideFromUtf8Exactly(row.utf8, wide), row.exact);
        EXPECT_EQ(wide, row.wide);
        if (row.exact) {
            EXPECT_EQ(brenvald::WideFromUtf8(row.utf8), row.wide);
            EXPECT_EQ(brenvald::WideFromShownText(row.utf8), row.wide);
            EXPECT_EQ(brenvald::Utf8FromWide(row.wide), row.utf8);
        } else {
            // Shown text that is not UTF-8 is read as ANSI.
            EXPECT_EQ(brenvald::WideFromShownText(row.utf8), brenvald::WideFromAnsi(row.utf8));
            EXPECT_FALSE(brenvald::WideFromUtf8(row.utf8).empty());
        }
    }
}

TEST(TextConversionTest, ExactAnsiRefusesLookAlikes) {
    const struct {
        std::wstring wide;
        bool spelled;
    } rows[] = {
        {L"plain.exe", true},
        {L"\uff43lean.exe", false},  // a full-width c, which best fit would make "c"
        {L"\u65e5\u672c.txt", false},
        {L"", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(brenvald::Utf8FromWide(row.wide));
        const std::string ansi = brenvald::ExactAnsiFromWide(row.wide);
        EXPECT_EQ(!ansi.empty(), row.spelled);
        if (row.spelled) {
            EXPECT_EQ(brenvald::WideFromAnsi(ansi), row.wide);
        }
        bool inexact = false;
        brenvald::AnsiFromWideNoBestFit(row.wide, inexact);
        EXPECT_EQ(inexact, !row.spelled && !row.wide.empty());
    }
}

} // namespace
