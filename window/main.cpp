// Typomancer.exe: one window, one engine, one keyboard for the whole process.
#include <windows.h>

#include "main_window.h"
#include "send_input.h"
#include "tracked_keyboard.h"
#include "win32_keyboard.h"
#include "win32_pump.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace typomancer;
    Win32TickSource clock;
    Win32Keyboard systemKeyboard;
    TrackedKeyboard keyboard(systemKeyboard, clock);
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
