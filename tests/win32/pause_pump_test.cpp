// Pause against the real message queue and clock.
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>

#include "pause.h"
#include "unique_resource.h"
#include "win32_pump.h"

namespace typomancer {
namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT_PTR kPingTimer = 1;
constexpr wchar_t kClassName[] = L"TypomancerPauseTestWindow";

struct Received {
    int pings = 0;
    ULONGLONG lastPingAt = 0;
};
Received received;

LRESULT CALLBACK PingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPingTimer) {
        KillTimer(window, kPingTimer);
        PostMessageW(window, kPing, 0, 0);
        return 0;
    }
    if (message == kPing) {
        ++received.pings;
        received.lastPingAt = GetTickCount64();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window: it receives posted messages and timers, and never shows.
UniqueWindow CreatePingWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PingWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);  // fails harmlessly when a previous test registered it
    return UniqueWindow(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        windowClass.hInstance, nullptr));
}

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;  // 100 ns units
}

// A busy loop of reading the clock and peeking at the queue, as a pause without sleeping
// would run it.
double ProcessorSecondsOfSpinning(ULONGLONG milliseconds) {
    const double before = ProcessorSeconds();
    const ULONGLONG end = GetTickCount64() + milliseconds;
    MSG msg;
    while (GetTickCount64() < end) PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    return ProcessorSeconds() - before;
}

TEST(Win32Pause, ThreeSecondsCostLittleProcessorTimeAndMessagesStillArrive) {
    // Without this the test would pass on a system whose process times never move.
    const double spinning = ProcessorSecondsOfSpinning(400);
    ASSERT_GT(spinning, 0.05) << "the process times do not count processor time here";

    received = Received{};
    UniqueWindow window = CreatePingWindow();
    ASSERT_TRUE(window);
    PostMessageW(window.get(), kPing, 0, 0);                // waiting before the pause
    ASSERT_NE(SetTimer(window.get(), kPingTimer, 500, nullptr), 0u);  // arrives during it

    Win32TickSource clock;
    Win32EventPump pump;
    const double processorBefore = ProcessorSeconds();
    const ULONGLONG start = GetTickCount64();
    Pause(3000, clock, pump);
    const ULONGLONG elapsed = GetTickCount64() - start;
    const double processor = ProcessorSeconds() - processorBefore;

    std::cout << "3000 ms pause: " << elapsed << " ms elapsed, " << processor
              << " s of processor time (400 ms of spinning: " << spinning << " s)\n";
    RecordProperty("elapsed_ms", static_cast<int>(elapsed));
    RecordProperty("processor_ms", static_cast<int>(processor * 1000));
    EXPECT_GT(elapsed, 3000u);
    EXPECT_LT(elapsed, 5000u);  // loose: a busy machine may wake it late
    EXPECT_LT(processor, 0.3);
    EXPECT_EQ(received.pings, 2);
    EXPECT_LT(received.lastPingAt - start, 2000u) << "the timer's message waited for the end";
    EXPECT_FALSE(pump.QuitRequested());
}

TEST(Win32Pause, QuitEndsThePauseAndIsLeftForTheEnclosingLoop) {
    Win32TickSource clock;
    Win32EventPump pump;
    PostQuitMessage(7);
    const ULONGLONG start = GetTickCount64();
    Pause(10000, clock, pump);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_TRUE(pump.QuitRequested());
    EXPECT_EQ(pump.QuitCode(), 7);

    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
}  // namespace typomancer
