#include "tracked_keyboard.h"

#include <algorithm>

namespace typomancer {

std::uint32_t TrackedKeyboard::Inject(const InputRecord* records, std::uint32_t count) {
    const std::uint32_t inserted = system_.Inject(records, count);
    Note(inserted);
    return inserted;
}

void TrackedKeyboard::SendKeysStatement(std::u16string_view text, bool wait) {
    system_.SendKeysStatement(text, wait);
    // Its own engine types at most a press and a release per character, modifiers included.
    Note(2 * static_cast<std::uint64_t>(text.size()));
}

void TrackedKeyboard::Note(std::uint64_t events) {
    const std::uint64_t now = clock_.NowMilliseconds();
    // Keys still on their way from an earlier batch queue before these ones.
    const std::uint64_t from = std::max(now, settledAt_ > kSettleMarginMs
                                                 ? settledAt_ - kSettleMarginMs
                                                 : std::uint64_t{0});
    const std::uint64_t needed = std::min(events * kSettleMsPerEvent, kSettleLongestMs);
    settledAt_ = std::min(from + needed, now + kSettleLongestMs) + kSettleMarginMs;
}

}  // namespace typomancer
