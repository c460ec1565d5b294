#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "run_error.h"
#include "runner.h"
#include "runner_fakes.h"
#include "send_input.h"

namespace typomancer {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::FakeHost;
using testing::LoggingKeyboard;
using testing::Transcript;

// What every run does before it reads the script.
const Transcript kStart = {"caption Running...", "minimise", "bottom", "events", "pause 1500",
                           "read"};

Transcript Concat(Transcript head, const Transcript& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class RunnerTest : public ::testing::Test {
protected:
    RunOutcome Run(std::u16string script) {
        host.script = std::move(script);
        return cmdRun_Click(host, engine);
    }

    Transcript log;
    LoggingKeyboard keyboard{log};
    MSendInput engine{keyboard};
    FakeHost host{log};
};

TEST_F(RunnerTest, ScriptWithoutWaitCodeIsTypedWholeWithoutItsLineBreaks) {
    EXPECT_EQ(Run(u"ab\r\ncd"), RunOutcome::Completed);
    EXPECT_THAT(log, ElementsAreArray(Concat(kStart, {"send 8", "caption Typomancer"})));
    EXPECT_EQ(keyboard.TypedKeys(), "abcd");
}

TEST_F(RunnerTest, EmptyScriptStepsAsideAndTypesNothing) {
    EXPECT_EQ(Run(u""), RunOutcome::Completed);
    EXPECT_THAT(log, ElementsAreArray(Concat(kStart, {"caption Typomancer"})));
}

TEST_F(RunnerTest, ScriptWithWaitCodeRunsLineByLine) {
    EXPECT_EQ(Run(u"hello world!\r\n{ENTER}\r\n{WAIT 5}\r\n%{TAB}\r\n^{ESC}"),
              RunOutcome::Completed);
    EXPECT_THAT(log, ElementsAreArray(Concat(
                         kStart, {"send 26", "send 2", "caption Waiting 5 seconds...", "events",
                                  "pause 5000", "caption Typomancer", "events",
                                  "statement %{TAB} 1", "send 4", "caption Typomancer"})));
}

TEST_F(RunnerTest, LowerCaseWaitCodeAloneMakesTheRunLineByLine) {
    // Line by line, the final CR LF gives an empty last line, which types nothing.
    EXPECT_EQ(Run(u"ab\r\ncd{wait x}\r\n"), RunOutcome::Completed);
    EXPECT_THAT(log, ElementsAreArray(Concat(kStart, {"send 4", "caption Typomancer"})));
    EXPECT_EQ(keyboard.TypedKeys(), "ab");
}

TEST_F(RunnerTest, LoneCarriageReturnOrLineFeedDoesNotSplitLines) {
    EXPECT_EQ(Run(u"{WAIT x}\r\na\nb\rc"), RunOutcome::Completed);
    ASSERT_EQ(keyboard.injections.size(), 1u);  // "a\nb\rc" went to the engine as one text
}

struct WaitLineCase {
    const char16_t* line;
    Transcript actions;  // between reading the script and the final caption
};

class WaitLineTest : public RunnerTest, public ::testing::WithParamInterface<WaitLineCase> {};

Transcript Waited(const std::string& text, const std::string& ms) {
    return {"caption Waiting " + text + " seconds...", "events", "pause " + ms,
            "caption Typomancer", "events"};
}

TEST_P(WaitLineTest, WaitsAsWrittenOrDoesNothing) {
    EXPECT_EQ(Run(GetParam().line), RunOutcome::Completed);
    Transcript expected = Concat(kStart, GetParam().actions);
    expected.push_back("caption Typomancer");
    EXPECT_THAT(log, ElementsAreArray(expected));
    EXPECT_THAT(keyboard.injections, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WaitLineTest,
    ::testing::Values(
        WaitLineCase{u"{WAIT 5}", Waited("5", "5000")},
        WaitLineCase{u"{Wait   7 }}} ", Waited("7", "7000")},
        WaitLineCase{u"typed? no{wait 3}", Waited("3", "3000")},  // text before is dropped
        WaitLineCase{u"{WAIT 0}", Waited("0", "0")},
        WaitLineCase{u"{WAIT -2}", Waited("-2", "-2000")},
        WaitLineCase{u"{WAIT 2.5}", Waited("2.5", "2000")},  // halves go to the even neighbour
        WaitLineCase{u"{WAIT 3.5}", Waited("3.5", "4000")},
        WaitLineCase{u"{WAIT 2147483}", Waited("2147483", "2147483000")},
        WaitLineCase{u"{WAIT -2147483}", Waited("-2147483", "-2147483000")},
        WaitLineCase{u"{WAIT 5} more", {}},  // text after the code: the line does nothing
        WaitLineCase{u"{WAIT}", {}},
        WaitLineCase{u"{WAIT 5,5}", {}},
        WaitLineCase{u"{WAIT\t5}", {}}));

TEST_F(RunnerTest, WaitTooLongForMillisecondsStopsTheRunBeforeTheCaptionChanges) {
    for (const char16_t* line : {u"{WAIT 2147484}", u"{WAIT -2147484}", u"{WAIT 2147483.5}",
                                 u"{WAIT 1e999}"}) {
        log.clear();
        EXPECT_EQ(Run(std::u16string(line) + u"\r\nnot typed"), RunOutcome::Failed);
        EXPECT_THAT(log, ElementsAreArray(Concat(kStart, {"focus", "message Typomancer: 6 Overflow",
                                                          "caption Typomancer"})));
    }
    EXPECT_THAT(keyboard.injections, IsEmpty());
}

TEST_F(RunnerTest, TabSwitchLineGoesToTheStatementOnlyWhenItIsTheWholeLine) {
    EXPECT_EQ(Run(u"{WAIT x}\r\n%{TAB}\r\n%{tab}\r\n %{TAB}\r\n%{TAB} "), RunOutcome::Completed);
    EXPECT_THAT(log, ElementsAreArray(Concat(kStart, {"statement %{TAB} 1", "statement %{TAB} 1",
                                                      "send 6", "send 6",
                                                      "caption Typomancer"})));
}

TEST_F(RunnerTest, TabSwitchLineInWholeRunIsOrdinaryText) {
    EXPECT_EQ(Run(u"a\r\n%{TAB}"), RunOutcome::Completed);
    EXPECT_THAT(log, ElementsAreArray(Concat(kStart, {"send 6", "caption Typomancer"})));
}

TEST_F(RunnerTest, InvalidLineIsQuotedAndStopsTheRun) {
    EXPECT_EQ(Run(u"ab\r\n{WAIT 1}\r\nc+\r\nd"), RunOutcome::Failed);
    EXPECT_THAT(log, ElementsAreArray(Concat(
                         kStart, {"send 4", "caption Waiting 1 seconds...", "events", "pause 1000",
                                  "caption Typomancer", "events", "focus",
                                  "message Error: The below script is invalid. Please change it "
                                  "then try again.\r\n\r\nc+",
                                  "caption Typomancer"})));
    EXPECT_EQ(keyboard.TypedKeys(), "ab");  // nothing of "c+", and "d" never ran
}

TEST_F(RunnerTest, InvalidWholeScriptIsReportedWithoutALineAndTypesNothing) {
    EXPECT_EQ(Run(u"ab\r\nc+"), RunOutcome::Failed);
    EXPECT_THAT(log, ElementsAreArray(Concat(
                         kStart, {"focus",
                                  "message Error: The script is invalid. Please change it then "
                                  "try again.",
                                  "caption Typomancer"})));
    EXPECT_THAT(keyboard.injections, IsEmpty());
}

TEST_F(RunnerTest, OtherFailuresShowNumberAndDescriptionTitledTypomancer) {
    struct Case {
        std::function<void()> fail;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[] { throw std::bad_alloc(); }, "message Typomancer: 7 Out of memory"},
        {[] { throw std::runtime_error("boom"); }, "message Typomancer: 51 Internal error"},
        {[] { throw 42; }, "message Typomancer: 51 Internal error"},
        {[] { throw RunError(1234, "Something particular"); },
         "message Typomancer: 1234 Something particular"},
    };
    for (const Case& c : cases) {
        log.clear();
        host.onRead = c.fail;
        EXPECT_EQ(Run(u"abc"), RunOutcome::Failed);
        EXPECT_THAT(log, ElementsAreArray(Concat(kStart, {"focus", c.message,
                                                          "caption Typomancer"})));
    }
}

TEST_F(RunnerTest, KeysRefusedBySystemAreReported) {
    keyboard.insertLimit = 0;
    EXPECT_EQ(Run(u"abc"), RunOutcome::Failed);
    ASSERT_GE(log.size(), 3u);
    EXPECT_THAT(log[log.size() - 2], HasSubstr("message Typomancer: 1001 The system refused"));
}

TEST_F(RunnerTest, FailingPauseDoesNotFailTheRun) {
    host.onPause = [](double) { throw std::runtime_error("pause broke"); };
    EXPECT_EQ(Run(u"{WAIT 1}\r\nab"), RunOutcome::Completed);
    EXPECT_EQ(keyboard.TypedKeys(), "ab");
}

TEST_F(RunnerTest, NothingIsTypedIntoTheProgramItself) {
    host.foregroundIsOwn = true;
    EXPECT_EQ(Run(u"ab"), RunOutcome::Failed);
    EXPECT_THAT(keyboard.injections, IsEmpty());
    ASSERT_EQ(log.size(), kStart.size() + 3);
    EXPECT_EQ(log[kStart.size()], "focus");
    EXPECT_THAT(log[kStart.size() + 1],
                HasSubstr("message Typomancer: 1002 The keys would go to Typomancer itself"));
    EXPECT_THAT(log[kStart.size() + 1], HasSubstr("to the front, then run the script again."));
    EXPECT_EQ(log.back(), "caption Typomancer");
}

TEST_F(RunnerTest, ForegroundIsCheckedBeforeEachTextNotOnceForTheRun) {
    // The program comes back to the front during the wait: the first line went out, the rest
    // must not.
    host.onPause = [this](double ms) {
        if (ms == 1000) host.foregroundIsOwn = true;
    };
    EXPECT_EQ(Run(u"ab\r\n{WAIT 1}\r\ncd"), RunOutcome::Failed);
    EXPECT_EQ(keyboard.TypedKeys(), "ab");
    EXPECT_THAT(log[log.size() - 2], HasSubstr("1002"));
}

TEST_F(RunnerTest, EmptyTextsAndWaitsNeedNoForeground) {
    host.foregroundIsOwn = true;
    EXPECT_EQ(Run(u"{WAIT 1}\r\n\r\n"), RunOutcome::Completed);
    EXPECT_EQ(Run(u""), RunOutcome::Completed);
}

TEST_F(RunnerTest, RunStartedDuringAPauseRunsWholeThenTheOuterGoesOn) {
    // The user restores the window during the outer run's wait, edits the script and clicks
    // again: the nested run is a whole run of the new text with its own (empty) current line,
    // and the outer run keeps its own lines and current line.
    bool clicked = false;
    host.onPause = [&](double ms) {
        if (ms != 1000 || clicked) return;
        clicked = true;
        host.script = u"x+";
        EXPECT_EQ(cmdRun_Click(host, engine), RunOutcome::Failed);
    };
    EXPECT_EQ(Run(u"{WAIT 1}\r\nab\r\nc+"), RunOutcome::Failed);
    EXPECT_THAT(
        log, ElementsAreArray(Concat(
                 kStart,
                 {"caption Waiting 1 seconds...", "events", "pause 1000",
                  // the nested run
                  "caption Running...", "minimise", "bottom", "events", "pause 1500", "read",
                  "focus", "message Error: The script is invalid. Please change it then try again.",
                  "caption Typomancer",
                  // the outer run again
                  "caption Typomancer", "events", "send 4", "focus",
                  "message Error: The below script is invalid. Please change it then try "
                  "again.\r\n\r\nc+",
                  "caption Typomancer"})));
}

TEST_F(RunnerTest, ClosingTheWindowStopsTheRunQuietly) {
    // Events before the start delay, before the wait and after it; then the start delay and
    // the wait themselves.
    const std::vector<std::pair<int, std::string>> closeAtEventCall = {
        {1, ""}, {2, "ab"}, {3, "ab"}};
    for (const auto& [call, typed] : closeAtEventCall) {
        log.clear();
        keyboard.injections.clear();
        host.closing = false;
        int calls = 0;
        host.onEvents = [&, call = call] {
            if (++calls == call) host.closing = true;
        };
        EXPECT_EQ(Run(u"ab\r\n{WAIT 1}\r\ncd"), RunOutcome::Abandoned) << "event call " << call;
        EXPECT_EQ(keyboard.TypedKeys(), typed) << "event call " << call;
        EXPECT_EQ(log.back(), "events") << "nothing after the events that closed the window";
    }
    host.onEvents = nullptr;
    for (double closeAt : {1500.0, 1000.0}) {
        log.clear();
        keyboard.injections.clear();
        host.closing = false;
        host.onPause = [&, closeAt](double ms) {
            if (ms == closeAt) host.closing = true;
        };
        EXPECT_EQ(Run(u"ab\r\n{WAIT 1}\r\ncd"), RunOutcome::Abandoned);
        EXPECT_EQ(keyboard.TypedKeys(), closeAt == 1500.0 ? "" : "ab");
        EXPECT_EQ(log.back(), "pause " + std::to_string(static_cast<int>(closeAt)));
    }
}

TEST_F(RunnerTest, ClickWhileClosingDoesNothing) {
    host.closing = true;
    EXPECT_EQ(Run(u"ab"), RunOutcome::Abandoned);
    EXPECT_THAT(log, IsEmpty());
}

}  // namespace
}  // namespace typomancer
