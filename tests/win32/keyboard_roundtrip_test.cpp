// Real injection: the engine types into an edit control of a foreground window of the test's
// own, and the text that arrives is read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

#include "send_input.h"
#include "unique_resource.h"
#include "utf.h"
#include "win32_keyboard.h"

namespace typomancer {
namespace {

constexpr wchar_t kTargetClass[] = L"TypomancerTypingTarget";

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        if (HWND edit = GetWindow(window, GW_CHILD)) {
            MoveWindow(edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class TypingTarget {
public:
    TypingTarget() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = TargetProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTargetClass;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        RegisterClassW(&windowClass);  // fails harmlessly when a previous test registered it

        window_.reset(CreateWindowExW(0, kTargetClass, L"Typing target", WS_OVERLAPPEDWINDOW,
                                      100, 100, 500, 300, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
        if (!window_) return;
        edit_ = CreateWindowExW(0, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN |
                                    ES_AUTOVSCROLL | WS_VSCROLL,
                                0, 0, 500, 300, window_.get(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window_.get(), SW_SHOWNORMAL);
        SetForegroundWindow(window_.get());
        SetFocus(edit_);
    }

    HWND Window() const { return window_.get(); }
    HWND Edit() const { return edit_; }

    std::u16string Text() const {
        auto length = static_cast<int>(SendMessageW(edit_, WM_GETTEXTLENGTH, 0, 0));
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        auto copied = static_cast<int>(SendMessageW(edit_, WM_GETTEXT, text.size(),
                                                    reinterpret_cast<LPARAM>(text.data())));
        text.resize(static_cast<std::size_t>(copied));
        return std::u16string(text.begin(), text.end());
    }

    // Handles this thread's messages until `done` holds or `timeoutMs` has passed; sleeps
    // between messages rather than spinning.
    static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        while (true) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            if (done()) return true;
            ULONGLONG now = GetTickCount64();
            if (now >= deadline) return false;
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 100)),
                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }

private:
    UniqueWindow window_;
    HWND edit_ = nullptr;  // destroyed with its parent
};

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(target_.Window()) << "no window: is there a display?";
        ASSERT_TRUE(TypingTarget::PumpUntil(
            [&] { return GetForegroundWindow() == target_.Window() && GetFocus() == target_.Edit(); },
            10000))
            << "the target window did not come to the front";
    }

    // Types `text` and waits until the edit control holds `expected`; the text it holds when
    // waiting ends is the result either way.
    std::u16string TypeAndRead(std::u16string_view text, const std::u16string& expected) {
        engine_.SendKeyText(text);
        TypingTarget::PumpUntil([&] { return target_.Text() == expected; }, 30000);
        // Let any stray late key show up before the text is judged.
        TypingTarget::PumpUntil([] { return false; }, 200);
        return target_.Text();
    }

    static void ExpectNoModifierDown() {
        for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL,
                       VK_LMENU}) {
            EXPECT_EQ(GetAsyncKeyState(vk) & 0x8000, 0) << "virtual key " << vk << " is down";
        }
    }

    TypingTarget target_;
    Win32Keyboard keyboard_;
    MSendInput engine_{keyboard_};
};

TEST_F(RoundTrip, AMixedTextArrivesAsWritten) {
    // Shifted punctuation, a count, the caret moved back and typed at, a group under Shift,
    // a character no key types, Backspace, Tab, Enter, and "+2" typing "@".
    const std::u16string text =
        u"Hello, World!{LEFT 6}big {END} 100{%} {{}ok{}} caf\u00e9{BS}\u00e9 {x 3}?~+(ab)c{TAB}"
        u"<_>\"q\" 1+2=3";
    const std::u16string expected =
        u"Hello, big World! 100% {ok} caf\u00e9 xxx?\r\nABc\t<_>\"q\" 1@=3";
    std::u16string typed = TypeAndRead(text, expected);
    EXPECT_EQ(Utf16ToUtf8(typed), Utf16ToUtf8(expected));
    ExpectNoModifierDown();
}

TEST_F(RoundTrip, CharactersBeyondTheLayoutArriveAsThemselves) {
    // U+0100 is not in code page 1252; a look-alike "A" must not arrive in its place.
    const std::u16string text = u"\u00c5ngstr\u00f6m \u0100\u03a9\u20ac{\u0100}";
    const std::u16string expected = u"\u00c5ngstr\u00f6m \u0100\u03a9\u20ac\u0100";
    EXPECT_EQ(Utf16ToUtf8(TypeAndRead(text, expected)), Utf16ToUtf8(expected));
    ExpectNoModifierDown();
}

TEST_F(RoundTrip, ALongTextArrivesWholeAndInOrder) {
    std::u16string text;
    for (int i = 0; i < 12; ++i) {
        text += u"Line " + Utf8ToUtf16(std::to_string(i)) + u": The Quick Brown Fox!~";
    }
    std::u16string expected;
    for (int i = 0; i < 12; ++i) {
        expected += u"Line " + Utf8ToUtf16(std::to_string(i)) + u": The Quick Brown Fox!\r\n";
    }
    EXPECT_EQ(Utf16ToUtf8(TypeAndRead(text, expected)), Utf16ToUtf8(expected));
    ExpectNoModifierDown();
}

}  // namespace
}  // namespace typomancer
