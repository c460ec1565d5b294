// The Win32 side of Pause: the message pump and the clock.
#pragma once

#include <windows.h>

#include "pause.h"

namespace typomancer {

// GetTickCount64: never wraps, so no wait ends early whatever the system's up-time.
class Win32TickSource : public TickSource {
public:
    std::uint64_t NowMilliseconds() override;
};

class Win32EventPump : public EventPump {
public:
    // The window whose keyboard navigation (Tab between controls) the pump handles.
    void SetDialogWindow(HWND dialog) { dialog_ = dialog; }

    // PeekMessage until the queue is empty, with IsDialogMessage for the dialog window. A
    // WM_QUIT is remembered, not dispatched, and posted again so that an enclosing
    // GetMessage loop ends too; the call returns as soon as it has seen one.
    void ProcessPendingEvents() override;
    // MsgWaitForMultipleObjectsEx: sleeps until input arrives or the time-out passes.
    void WaitForEvents(std::uint32_t timeoutMs) override;
    bool QuitRequested() override { return quitRequested_; }
    int QuitCode() const { return quitCode_; }

private:
    HWND dialog_ = nullptr;
    bool quitRequested_ = false;
    int quitCode_ = 0;
};

}  // namespace typomancer
