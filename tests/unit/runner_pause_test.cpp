#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <limits>
#include <stdexcept>

#include "pause.h"

namespace typomancer {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Le;

class FakeClock : public TickSource {
public:
    std::uint64_t NowMilliseconds() override {
        ++reads;
        if (failReads > 0 && reads >= failFromRead) throw std::runtime_error("clock broke");
        now += advancePerRead;
        return now;
    }

    std::uint64_t now = 0;
    std::uint64_t advancePerRead = 0;
    int reads = 0;
    int failFromRead = 0;
    int failReads = 0;
};

// Sleeping moves the fake clock on: by the whole time-out, or by less when an event is
// scripted to arrive sooner.
class FakePump : public EventPump {
public:
    explicit FakePump(FakeClock& clock) : clock_(clock) {}

    void ProcessPendingEvents() override {
        ++turns;
        if (onEvents) onEvents();
        if (failEvents) throw std::runtime_error("handler broke");
    }
    void WaitForEvents(std::uint32_t timeoutMs) override {
        timeouts.push_back(timeoutMs);
        std::uint64_t slept = timeoutMs;
        if (!eventAfter.empty()) {
            slept = std::min<std::uint64_t>(slept, eventAfter.front());
            eventAfter.pop_front();
        }
        clock_.now += slept;
        if (failWaits) throw std::runtime_error("wait broke");
    }
    bool QuitRequested() override { return quit; }

    int turns = 0;
    std::vector<std::uint32_t> timeouts;
    std::deque<std::uint64_t> eventAfter;  // an event wakes the n-th sleep after this long
    std::function<void()> onEvents;
    bool failEvents = false;
    bool failWaits = false;
    bool quit = false;

private:
    FakeClock& clock_;
};

class PauseTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakePump pump{clock};
};

TEST_F(PauseTest, SleepsToJustPastTheDeadlineInsteadOfSpinning) {
    clock.now = 1000;
    Pause(1500, clock, pump);
    EXPECT_THAT(pump.timeouts, ElementsAre(1501u));
    EXPECT_EQ(pump.turns, 2);
    EXPECT_EQ(clock.now, 2501u);
}

TEST_F(PauseTest, EventsArrivingDuringTheWaitAreHandledAndTheWaitGoesOn) {
    pump.eventAfter = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    Pause(100, clock, pump);
    // Every wake-up handles events, and the wait ends at the first reading past 100.
    EXPECT_EQ(pump.turns, static_cast<int>(pump.timeouts.size()) + 1);
    EXPECT_EQ(clock.now, 101u);
    EXPECT_EQ(pump.timeouts.back(), 3u);  // from 98, the sleep reaches 101
}

struct ShortWait {
    double ms;
    int turns;
    std::uint64_t endsAt;  // the reading that ends the wait, from an entry reading of 500
};

class ShortWaitTest : public PauseTest, public ::testing::WithParamInterface<ShortWait> {};

TEST_P(ShortWaitTest, EndsAtTheFirstReadingStrictlyPastTheDeadline) {
    clock.now = 500;
    Pause(GetParam().ms, clock, pump);
    EXPECT_EQ(pump.turns, GetParam().turns);
    EXPECT_EQ(clock.now, GetParam().endsAt);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, ShortWaitTest,
    ::testing::Values(ShortWait{0, 2, 501},    // until the counter moves on
                      ShortWait{0.5, 2, 501},  // compared in double precision
                      ShortWait{1, 2, 502}, ShortWait{1.5, 2, 502},
                      ShortWait{-1, 1, 500},  // a negative wait makes exactly one turn
                      ShortWait{-2147483000.0, 1, 500},
                      ShortWait{std::numeric_limits<double>::quiet_NaN(), 1, 500}));

TEST_F(PauseTest, ZeroWaitLastsUntilACoarseCounterMovesOn) {
    clock.now = 500;
    pump.eventAfter = {0, 0, 0};  // three wake-ups before the counter has moved
    Pause(0, clock, pump);
    EXPECT_EQ(pump.turns, 5);
    EXPECT_EQ(clock.now, 501u);
}

TEST_F(PauseTest, NoWaitEndsEarlyWhateverTheUpTime) {
    // The moments a 32-bit signed reading turns negative or a 32-bit count wraps, and 50 days.
    for (std::uint64_t start : {(1ull << 31) - 10, (1ull << 32) - 5, 4'320'000'000ull}) {
        clock.now = start;
        pump.eventAfter = {4, 4, 4, 4, 4};
        Pause(100, clock, pump);
        EXPECT_EQ(clock.now, start + 101) << start;
    }
}

TEST_F(PauseTest, LongestWaitSleepsInBoundedSlicesToItsDeadline) {
    clock.now = 123;
    Pause(2147483000.0, clock, pump);
    EXPECT_EQ(clock.now, 123u + 2147483001u);
    EXPECT_THAT(pump.timeouts, Each(Le(86'400'000u)));  // never INFINITE, never wrapped
    EXPECT_LE(pump.timeouts.size(), 30u);
}

TEST_F(PauseTest, QuitEndsEvenAnEndlessWaitAtOnce) {
    pump.onEvents = [this] {
        if (pump.turns == 3) pump.quit = true;
    };
    Pause(std::numeric_limits<double>::infinity(), clock, pump);
    EXPECT_EQ(pump.turns, 3);
    EXPECT_EQ(pump.timeouts.size(), 2u);  // no sleep after the quit
}

TEST_F(PauseTest, FailuresInsideAreIgnored) {
    pump.failEvents = true;
    Pause(100, clock, pump);
    EXPECT_EQ(clock.now, 101u);

    FakeClock spinningClock;
    spinningClock.advancePerRead = 10;
    FakePump failingWaits(spinningClock);
    failingWaits.failWaits = true;
    Pause(100, spinningClock, failingWaits);
    EXPECT_GT(spinningClock.now, 100u);
}

TEST_F(PauseTest, UnreadableClockEndsTheWaitRatherThanHangingIt) {
    for (int failFrom : {1, 2, 3}) {
        FakeClock broken;
        broken.failReads = 1;
        broken.failFromRead = failFrom;
        FakePump brokenPump(broken);
        Pause(1000, broken, brokenPump);
        EXPECT_GE(brokenPump.turns, 1) << failFrom;
        EXPECT_LE(brokenPump.turns, 2) << failFrom;
    }
}

TEST_F(PauseTest, NestedWaitThatOutlivesTheOuterDeadlineEndsTheOuterAtItsNextReading) {
    pump.onEvents = [this] {
        if (pump.turns == 1) Pause(500, clock, pump);
    };
    Pause(100, clock, pump);
    EXPECT_EQ(clock.now, 501u);
    EXPECT_EQ(pump.turns, 3);  // outer turn 1, inner turns 2 and 3, then the outer reading
}

}  // namespace
}  // namespace typomancer
