#include "win32_keyboard.h"

#include <windows.h>

#include <vector>

#include "send_input.h"
#include "unique_resource.h"

namespace typomancer {

static_assert(sizeof(INPUT) == (sizeof(void*) == 8 ? 40 : 28),
              "INPUT is 28 bytes in a 32-bit build and 40 in a 64-bit one");
static_assert(sizeof(void*) != 4 || sizeof(INPUT) == kInputRecordSize32,
              "the engine's record layout is the 32-bit INPUT");

// Reports the NT line whatever the system is, so the statement's own engine always builds a
// batch; everything else is the real keyboard.
class Win32Keyboard::StatementKeyboard : public Win32Keyboard {
public:
    PlatformVersion Version() override { return PlatformVersion{}; }
};

Win32Keyboard::Win32Keyboard() = default;
Win32Keyboard::~Win32Keyboard() = default;

PlatformVersion Win32Keyboard::Version() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // The result is deliberately not examined: a failed call leaves the record zero, which
    // reads as the NT line and so takes the normal way.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    GetVersionExA(&info);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return PlatformVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

KeyboardLayoutHandle Win32Keyboard::CurrentLayout() {
    return reinterpret_cast<KeyboardLayoutHandle>(GetKeyboardLayout(0));
}

std::int16_t Win32Keyboard::ScanChar(std::uint8_t ansiCode) {
    return VkKeyScanA(static_cast<CHAR>(ansiCode));
}

std::uint32_t Win32Keyboard::ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) {
    return MapVirtualKeyExA(virtualKey, MAPVK_VK_TO_VSC, reinterpret_cast<HKL>(layout));
}

std::int16_t Win32Keyboard::KeyState(int virtualKey) { return GetKeyState(virtualKey); }

AnsiChar Win32Keyboard::ToAnsi(char16_t ch) {
    AnsiChar ansi;
    if (GetACP() == CP_UTF8) {
        // With UTF-8 as the ANSI code page only ASCII has a code of one byte, and VkKeyScanA
        // could not read a lone byte above 127 anyway: everything else goes as Unicode, as a
        // character that the code page lacks does.
        if (ch < 0x80) {
            ansi.length = 1;
            ansi.bytes[0] = static_cast<std::uint8_t>(ch);
        } else {
            ansi.length = 0;
            ansi.exact = false;
        }
        return ansi;
    }
    char bytes[4] = {};
    BOOL usedDefault = FALSE;
    const wchar_t wide = static_cast<wchar_t>(ch);
    // Without WC_NO_BEST_FIT_CHARS the conversion quietly turns a character that the code page
    // lacks into a look-alike ("A" for U+0100, "O" for U+03A9) and does not report it, and
    // the look-alike would be typed in the character's place.
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes,
                                     nullptr, &usedDefault);
    if (length <= 0) {
        ansi.length = 0;
        ansi.exact = false;
        return ansi;
    }
    ansi.length = static_cast<std::uint8_t>(length);
    ansi.bytes[0] = static_cast<std::uint8_t>(bytes[0]);
    ansi.bytes[1] = static_cast<std::uint8_t>(bytes[1]);
    ansi.exact = !usedDefault;
    return ansi;
}

std::uint32_t Win32Keyboard::Inject(const InputRecord* records, std::uint32_t count) {
    std::vector<INPUT> inputs(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        inputs[i].type = records[i].type;
        inputs[i].ki.wVk = records[i].wVk;
        inputs[i].ki.wScan = records[i].wScan;
        inputs[i].ki.dwFlags = records[i].dwFlags;
        inputs[i].ki.time = records[i].time;
        inputs[i].ki.dwExtraInfo = records[i].dwExtraInfo;
    }
    return SendInput(count, inputs.data(), sizeof(INPUT));
}

void Win32Keyboard::SendKeysStatement(std::u16string_view text, bool wait) {
    if (!statementEngine_) {
        statementKeyboard_ = std::make_unique<StatementKeyboard>();
        statementEngine_ = std::make_unique<MSendInput>(*statementKeyboard_);
    }
    statementEngine_->SendKeyText(text, false);
    if (wait) {
        WaitForForegroundInputIdle(1000);
    }
}

void WaitForForegroundInputIdle(unsigned long timeoutMs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &processId);
    // Our own process is busy running this very code, so it never reads as idle.
    if (processId == 0 || processId == GetCurrentProcessId()) return;
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (process) WaitForInputIdle(process.get(), timeoutMs);
}

}  // namespace typomancer
