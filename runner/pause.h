// Waiting without freezing the window: the pending events are handled while the time passes.
#pragma once

#include <cstdint>

namespace typomancer {

// A millisecond count that never goes backwards and never wraps (GetTickCount64 on Windows).
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual std::uint64_t NowMilliseconds() = 0;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles every pending event, then returns.
    virtual void ProcessPendingEvents() = 0;
    // Sleeps until an event arrives or `timeoutMs` milliseconds have passed, whichever comes
    // first (MsgWaitForMultipleObjectsEx on Windows). Handles nothing itself.
    virtual void WaitForEvents(std::uint32_t timeoutMs) = 0;
    // True once the program has been asked to end: waits stop at once.
    virtual bool QuitRequested() = 0;
};

// Waits `milliseconds` (zero, negative and fractional values allowed), handling events in every
// turn and at least once, and returns at the first reading of the clock past the deadline.
// Never throws.
void Pause(double milliseconds, TickSource& clock, EventPump& pump);

}  // namespace typomancer
