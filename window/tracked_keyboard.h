// The keyboard as the window uses it: the system's, plus a note of when keys were last injected
// and how many, so the window can give the target time to take them in before it takes the
// foreground itself (a message box would otherwise receive the last keys of a run).
#pragma once

#include <cstdint>

#include "keyboard_api.h"
#include "pause.h"

namespace typomancer {

// How long a slow target may take per injected event (Notepad under Wine takes in about 75
// characters, 150 events, a second), plus a margin for the first one, and the longest wait.
constexpr std::uint64_t kSettleMsPerEvent = 10;
constexpr std::uint64_t kSettleMarginMs = 250;
constexpr std::uint64_t kSettleLongestMs = 30000;

class TrackedKeyboard : public ForwardingKeyboard {
public:
    TrackedKeyboard(KeyboardApi& system, TickSource& clock)
        : ForwardingKeyboard(system), clock_(clock) {}

    std::uint32_t Inject(const InputRecord* records, std::uint32_t count) override;
    void SendKeysStatement(std::u16string_view text, bool wait) override;

    // The moment (on the clock given) by which the keys injected so far should have reached
    // even a slow target; 0 before any key.
    std::uint64_t KeysSettledAt() const { return settledAt_; }

private:
    void Note(std::uint64_t events);

    TickSource& clock_;
    std::uint64_t settledAt_ = 0;
};

}  // namespace typomancer
