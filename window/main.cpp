// Typomancer.exe: one window, one engine, one keyboard for the whole process.
#include <windows.h>

#include <memory>
#include <string>

#include "main_window.h"
#include "send_input.h"
#include "timing_keyboard.h"
#include "tracked_keyboard.h"
#include "win32_keyboard.h"
#include "win32_pump.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace typomancer;
    Win32TickSource clock;
    Win32Keyboard systemKeyboard;
    // Only the end-to-end benchmark sets the variable; the keys themselves are the same.
    std::unique_ptr<TimingKeyboard> timed;
    if (std::wstring log = TimingKeyboard::LogPathFromEnvironment(); !log.empty()) {
        timed = std::make_unique<TimingKeyboard>(systemKeyboard, std::move(log));
    }
    TrackedKeyboard keyboard(timed ? static_cast<KeyboardApi&>(*timed) : systemKeyboard, clock);
    MSendInput engine(keyboard);
    Win32EventPump pump;
    FSendInput window(instance, engine, keyboard, pump, clock);
    if (!window.Create()) {
        MessageBoxW(nullptr, L"The main window could not be created.", L"Typomancer",
                    MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    window.Form_Load(showCommand);
    return window.RunMessageLoop();
}
