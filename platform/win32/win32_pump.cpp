#include "win32_pump.h"

namespace typomancer {

std::uint64_t Win32TickSource::NowMilliseconds() { return GetTickCount64(); }

void Win32EventPump::ProcessPendingEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitRequested_ = true;
            quitCode_ = static_cast<int>(msg.wParam);
            // Put it back, as modal loops do, so that the message loop this pump runs inside
            // also sees it and ends; returning now keeps this loop from taking it again.
            PostQuitMessage(quitCode_);
            return;
        }
        if (dialog_ && IsDialogMessageW(dialog_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32EventPump::WaitForEvents(std::uint32_t timeoutMs) {
    // MWMO_INPUTAVAILABLE wakes also for input that an earlier peek saw and left queued.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace typomancer
