#include "pause.h"

#include <cmath>
#include <limits>
#include <optional>

namespace typomancer {
namespace {

// A wait longer than this sleeps in several slices; the loop takes as many as it needs, so the
// time-out never comes near the 32-bit limit (nor INFINITE) whatever the wait.
constexpr double kLongestSleepMs = 86'400'000.0;

std::optional<std::uint64_t> ReadClock(TickSource& clock) noexcept {
    try {
        return clock.NowMilliseconds();
    } catch (...) {
        return std::nullopt;
    }
}

bool QuitRequested(EventPump& pump) noexcept {
    try {
        return pump.QuitRequested();
    } catch (...) {
        return false;
    }
}

// The sleep that reaches the first whole millisecond strictly past the deadline: a wait of
// 1500 from a reading of 1000 wakes at 2501, the first reading that ends it.
std::uint32_t SleepUntilPast(double deadline, std::uint64_t now) {
    double remaining = deadline - static_cast<double>(now);
    if (!(remaining >= 0.0)) return 1;
    double sleep = std::floor(remaining) + 1.0;
    if (sleep > kLongestSleepMs) sleep = kLongestSleepMs;
    return static_cast<std::uint32_t>(sleep);
}

}  // namespace

void Pause(double milliseconds, TickSource& clock, EventPump& pump) {
    std::optional<std::uint64_t> start = ReadClock(clock);
    // A wait whose start cannot be read, or of no number at all, is one turn: either would
    // otherwise compare below every reading and never end.
    double deadline = -std::numeric_limits<double>::infinity();
    if (start && !std::isnan(milliseconds)) {
        deadline = static_cast<double>(*start) + milliseconds;
    }

    for (;;) {
        try {
            pump.ProcessPendingEvents();
        } catch (...) {
            // A failing handler must not end or break the wait; the next turn goes on.
        }
        if (QuitRequested(pump)) return;

        std::optional<std::uint64_t> now = ReadClock(clock);
        // Without a reading the end of the wait cannot be seen; ending it beats waiting forever.
        if (!now || static_cast<double>(*now) > deadline) return;

        try {
            pump.WaitForEvents(SleepUntilPast(deadline, *now));
        } catch (...) {
            // The next turn reads the clock again; at worst this wait spins instead of sleeping.
        }
    }
}

}  // namespace typomancer
