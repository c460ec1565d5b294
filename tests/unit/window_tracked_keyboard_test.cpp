#include <gtest/gtest.h>

#include <vector>

#include "send_input.h"
#include "sim_keyboard.h"
#include "tracked_keyboard.h"

namespace typomancer {
namespace {

class ManualClock : public TickSource {
public:
    std::uint64_t NowMilliseconds() override { return now; }
    std::uint64_t now = 1000;
};

TEST(TrackedKeyboard, PassesEverythingToTheSystemKeyboard) {
    SimKeyboard sim;
    ManualClock clock;
    TrackedKeyboard keyboard(sim, clock);
    MSendInput engine(keyboard);
    EXPECT_EQ(keyboard.KeysSettledAt(), 0u);

    engine.SendKeyText(u"A!{CAPSLOCK}");
    ASSERT_EQ(sim.injections.size(), 1u);
    MSendInput direct(sim);
    direct.SendKeyText(u"A!{CAPSLOCK}");
    ASSERT_EQ(sim.injections.size(), 2u);
    EXPECT_EQ(sim.injections[0].size(), sim.injections[1].size());

    keyboard.SendKeysStatement(u"%{TAB}", true);
    ASSERT_EQ(sim.statements.size(), 1u);
    EXPECT_EQ(sim.statements[0].text, u"%{TAB}");
    EXPECT_TRUE(sim.statements[0].wait);
}

// Keys reach a slow target at its own pace: the settle time grows with the events that the
// system took, queues behind keys still on their way, and is bounded.
TEST(TrackedKeyboard, SettleTimeFollowsTheKeysStillOnTheirWay) {
    struct Step {
        std::uint64_t at;
        std::uint32_t events;
        std::uint64_t settledAt;
    };
    const std::vector<std::vector<Step>> cases = {
        {{1000, 100, 1000 + 1000 + kSettleMarginMs}},
        // The second batch waits for the first one.
        {{1000, 100, 2250}, {1100, 100, 3250}},
        // Long after the first batch: counted from now.
        {{1000, 100, 2250}, {9000, 10, 9000 + 100 + kSettleMarginMs}},
        // However many keys, the wait stays bounded.
        {{1000, 1000000, 1000 + kSettleLongestMs + kSettleMarginMs}},
        {{1000, 5000, 31250}, {2000, 5000, 2000 + kSettleLongestMs + kSettleMarginMs}},
    };
    for (std::size_t c = 0; c < cases.size(); ++c) {
        SCOPED_TRACE(c);
        SimKeyboard sim;
        ManualClock clock;
        TrackedKeyboard keyboard(sim, clock);
        for (const Step& step : cases[c]) {
            clock.now = step.at;
            std::vector<InputRecord> records(step.events);
            keyboard.Inject(records.data(), step.events);
            EXPECT_EQ(keyboard.KeysSettledAt(), step.settledAt) << "at " << step.at;
        }
    }
}

TEST(TrackedKeyboard, OnlyKeysTheSystemTookAreWaitedFor) {
    SimKeyboard sim;
    sim.insertLimit = 4;
    ManualClock clock;
    TrackedKeyboard keyboard(sim, clock);
    std::vector<InputRecord> records(100);
    EXPECT_EQ(keyboard.Inject(records.data(), 100), 4u);
    EXPECT_EQ(keyboard.KeysSettledAt(), 1000 + 4 * kSettleMsPerEvent + kSettleMarginMs);
}

}  // namespace
}  // namespace typomancer
