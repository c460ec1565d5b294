// The main window against the real user32: its layout, focus order, stacking, script box and
// palette. Start-up is left out (it starts an editor); the end-to-end tests drive that.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control_ids.h"
#include "layout.h"
#include "main_window.h"
#include "palette.h"
#include "send_input.h"
#include "tracked_keyboard.h"
#include "win32_keyboard.h"
#include "win32_pump.h"

namespace typomancer {
namespace {

using ::testing::ElementsAreArray;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window_.Create());
        ShowWindow(window_.Handle(), SW_SHOWNORMAL);
        SetForegroundWindow(window_.Handle());
        pump_.ProcessPendingEvents();
    }

    void TearDown() override {
        if (window_.Handle()) DestroyWindow(window_.Handle());
        // Takes the WM_QUIT that the window posts as it goes, so it cannot end a later test.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    HWND Control(int id) const { return GetDlgItem(window_.Handle(), id); }

    void SetText(int id, const std::wstring& text) {
        SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    void Click(int id) {
        SendMessageW(window_.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(id)));
    }

    RECT ClientRectOf(HWND control) const {
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window_.Handle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    int Dpi() const {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return dpi;
    }

    Win32TickSource clock_;
    Win32Keyboard systemKeyboard_;
    TrackedKeyboard keyboard_{systemKeyboard_, clock_};
    MSendInput engine_{keyboard_};
    Win32EventPump pump_;
    FSendInput window_{GetModuleHandleW(nullptr), engine_, keyboard_, pump_, clock_};
};

TEST_F(MainWindowTest, EveryControlStandsWhereTheTableSaysAtTheWindowsDpi) {
    const int dpi = Dpi();
    RECT client{};
    GetClientRect(window_.Handle(), &client);
    EXPECT_EQ(client.right, ClientWidth(dpi));
    EXPECT_EQ(client.bottom, ClientHeight(dpi));

    for (const ControlPlace& place : Controls()) {
        SCOPED_TRACE(place.id);
        HWND control = Control(place.id);
        ASSERT_NE(control, nullptr);
        const RECT rect = ClientRectOf(control);
        const PixelRect expected = ToPixels(place.rect, dpi);
        EXPECT_EQ(rect.left, expected.left);
        EXPECT_EQ(rect.top, expected.top);
        EXPECT_EQ(rect.right, expected.right);
        EXPECT_EQ(rect.bottom, expected.bottom);
    }
    wchar_t caption[64] = {};
    GetWindowTextW(window_.Handle(), caption, 64);
    EXPECT_STREQ(caption, L"Typomancer");
}

TEST_F(MainWindowTest, TabRunsThroughTheControlsInTheirFocusOrder) {
    std::vector<int> expected = {kIdCmdRun, kIdTxtScript};
    for (int i = 0; i <= 23; ++i) expected.push_back(kIdCmdFirst + i);
    expected.push_back(kIdTxtWait);
    expected.push_back(kIdCmdFirst + 24);
    expected.push_back(kIdCmdRun);  // and round again

    std::vector<int> visited = {kIdCmdRun};
    HWND at = Control(kIdCmdRun);
    for (std::size_t i = 1; i < expected.size(); ++i) {
        at = GetNextDlgTabItem(window_.Handle(), at, FALSE);
        visited.push_back(GetDlgCtrlID(at));
    }
    EXPECT_THAT(visited, ElementsAreArray(expected));
}

// Labels and pictures lie under the boxes and buttons they overlap: a click anywhere on a box
// or button reaches it, and nothing paints over it.
TEST_F(MainWindowTest, BoxesAndButtonsLieOverTheLabelsAndPictures) {
    for (const ControlPlace& place : Controls()) {
        if (!place.tabStop) continue;
        SCOPED_TRACE(place.id);
        const RECT rect = ClientRectOf(Control(place.id));
        const POINT points[] = {{rect.left + 2, rect.top + 2},
                                {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2},
                                {rect.right - 3, rect.bottom - 3}};
        for (const POINT& point : points) {
            HWND hit = ChildWindowFromPointEx(window_.Handle(), point, CWP_SKIPINVISIBLE);
            EXPECT_EQ(GetDlgCtrlID(hit), place.id) << point.x << "," << point.y;
        }
    }
}

TEST_F(MainWindowTest, ScriptBoxKeepsAScriptFarBeyondThirtyTwoThousandCharacters) {
    std::wstring script;
    for (int i = 0; script.size() < 100000; ++i) {
        script += L"line " + std::to_wstring(i) + L" \x00e9\x4e2d{ENTER}\r\n";
    }
    // As a paste puts it in: the edit control's limit holds for this, not for WM_SETTEXT.
    SetText(kIdTxtScript, L"");
    SendMessageW(Control(kIdTxtScript), EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(script.c_str()));
    const std::u16string read = window_.ScriptText();
    EXPECT_EQ(read.size(), script.size());
    EXPECT_TRUE(read == std::u16string(script.begin(), script.end()));
}

TEST_F(MainWindowTest, PaletteButtonsAppendToTheScriptBox) {
    SetText(kIdTxtScript, L"");
    Click(kIdCmdFirst + 6);
    EXPECT_EQ(window_.ScriptText(), u"\r\n{ENTER}");

    SetText(kIdTxtWait, L"2.5");
    Click(kIdCmdFirst + 24);
    SetText(kIdTxtWait, L"soon");
    Click(kIdCmdFirst + 24);
    EXPECT_EQ(window_.ScriptText(), u"\r\n{ENTER}\r\n{WAIT 2.5}\r\n{WAIT 5}");

    SetFocus(Control(kIdCmdFirst + 21));
    Click(kIdCmdFirst + 21);
    const std::u16string script = window_.ScriptText();
    EXPECT_EQ(script, u"\r\n{ENTER}\r\n{WAIT 2.5}\r\n{WAIT 5}+");
    EXPECT_EQ(GetFocus(), Control(kIdTxtScript));
    // The caret follows the modifier, so the key typed next goes after it.
    DWORD start = 0, end = 0;
    SendMessageW(Control(kIdTxtScript), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, script.size());
    EXPECT_EQ(end, script.size());
}

TEST_F(MainWindowTest, TakingTheFocusLeavesAMinimisedWindowMinimised) {
    window_.Minimise();
    pump_.ProcessPendingEvents();
    window_.TakeFocus();
    pump_.ProcessPendingEvents();
    EXPECT_TRUE(IsIconic(window_.Handle()));

    window_.SetCaption(u"Waiting 2.5 seconds...");
    wchar_t caption[64] = {};
    GetWindowTextW(window_.Handle(), caption, 64);
    EXPECT_STREQ(caption, L"Waiting 2.5 seconds...");
}

TEST_F(MainWindowTest, ClosingTheWindowTellsARunningScriptToStop) {
    EXPECT_FALSE(window_.Closing());
    SendMessageW(window_.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(window_.Closing());
    EXPECT_EQ(window_.Handle(), nullptr);
    // What a run asks of a closed window does nothing and does not fail.
    EXPECT_EQ(window_.ScriptText(), u"");
    window_.SetCaption(u"Typomancer");
    window_.Minimise();
    window_.TakeFocus();
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

}  // namespace
}  // namespace typomancer
