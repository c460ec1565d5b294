#include "runner.h"

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numbers.h"
#include "run_error.h"
#include "send_input.h"
#include "utf.h"

namespace typomancer {
namespace {

constexpr double kStartDelayMs = 1500.0;
constexpr std::int32_t kMillisecondsPerSecond = 1000;

constexpr std::u16string_view kWaitMarker = u"{WAIT";
constexpr std::u16string_view kSpecialLine = u"%{TAB}";
constexpr std::u16string_view kLineBreak = u"\r\n";

constexpr std::u16string_view kCaptionRunning = u"Running...";
constexpr std::u16string_view kCaptionIdle = u"Typomancer";

constexpr std::u16string_view kTitleInvalid = u"Error";
constexpr std::u16string_view kTitleOther = u"Typomancer";
constexpr std::u16string_view kInvalidWithLine =
    u"The below script is invalid. Please change it then try again.\r\n\r\n";
constexpr std::u16string_view kInvalidWithoutLine =
    u"The script is invalid. Please change it then try again.";

constexpr const char* kTypingIntoItself =
    "The keys would go to Typomancer itself: no other window came to the front when it "
    "stepped aside. Bring the window that should receive the keys to the front, then run the "
    "script again.";

// The markers are plain ASCII, so only ASCII letters need folding; folding nothing else keeps
// every position in the folded text equal to the same position in the text as written.
char16_t UpperAscii(char16_t ch) {
    return (ch >= u'a' && ch <= u'z') ? static_cast<char16_t>(ch - u'a' + u'A') : ch;
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view upper) {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (UpperAscii(text[i]) != upper[i]) return false;
    }
    return true;
}

std::size_t FindIgnoringCase(std::u16string_view text, std::u16string_view upper,
                             std::size_t from = 0) {
    if (upper.size() > text.size()) return std::u16string_view::npos;
    for (std::size_t i = from; i + upper.size() <= text.size(); ++i) {
        if (EqualsIgnoringCase(text.substr(i, upper.size()), upper)) return i;
    }
    return std::u16string_view::npos;
}

bool ContainsWaitCode(std::u16string_view text) {
    return FindIgnoringCase(text, kWaitMarker) != std::u16string_view::npos;
}

// Every occurrence, left to right, in one pass: what the removal brings together is not
// looked at again.
std::u16string RemoveAll(std::u16string_view text, std::u16string_view upperPattern) {
    std::u16string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t found = FindIgnoringCase(text, upperPattern, pos);
        if (found == std::u16string_view::npos) break;
        result.append(text.substr(pos, found - pos));
        pos = found + upperPattern.size();
    }
    result.append(text.substr(pos));
    return result;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    return text;
}

// n line breaks give n + 1 lines; a lone CR or LF stays inside its line.
std::vector<std::u16string> SplitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    std::size_t pos = 0;
    for (;;) {
        std::size_t found = text.find(kLineBreak, pos);
        if (found == std::u16string_view::npos) break;
        lines.emplace_back(text.substr(pos, found - pos));
        pos = found + kLineBreak.size();
    }
    lines.emplace_back(text.substr(pos));
    return lines;
}

// The window was closed at a point where events were handled: the run stops quietly.
struct RunAbandoned {};

class ScriptRun {
public:
    ScriptRun(RunnerHost& host, MSendInput& engine) : host_(host), engine_(engine) {}

    RunOutcome Execute() noexcept {
        try {
            if (host_.Closing()) return RunOutcome::Abandoned;
            RunSteps();
            return RunOutcome::Completed;
        } catch (const RunAbandoned&) {
            return RunOutcome::Abandoned;
        } catch (const RunError& error) {
            return Report(error.Number(), error.Description());
        } catch (const std::bad_alloc&) {
            return Report(kErrOutOfMemory, "Out of memory");
        } catch (...) {
            return Report(kErrInternal, "Internal error");
        }
    }

private:
    void RunSteps() {
        host_.SetCaption(kCaptionRunning);
        host_.Minimise();
        host_.MoveToBottom();
        ProcessEvents();
        PauseFor(kStartDelayMs);

        // Read once: edits made to the script box from here on do not change this run.
        const std::u16string script = host_.ScriptText();
        if (!script.empty()) {
            if (ContainsWaitCode(script)) {
                RunLineByLine(script);
            } else {
                TypeText(RemoveAll(script, kLineBreak));
            }
        }
        host_.SetCaption(kCaptionIdle);
    }

    void RunLineByLine(std::u16string_view script) {
        for (const std::u16string& line : SplitLines(script)) {
            currentLine_ = line;
            if (ContainsWaitCode(line)) {
                RunWaitLine(line);
            } else if (EqualsIgnoringCase(line, kSpecialLine)) {
                host_.SendKeysStatement(kSpecialLine, true);
            } else {
                TypeText(line);
            }
        }
    }

    void RunWaitLine(std::u16string_view line) {
        // What stands before the wait code is dropped, neither typed nor examined.
        std::u16string_view remainder = line.substr(FindIgnoringCase(line, kWaitMarker));
        const std::u16string stripped = RemoveAll(RemoveAll(remainder, u"}"), kWaitMarker);
        const std::u16string_view waitText = TrimBlanks(stripped);

        // Text after the number, or no number at all: the line does nothing.
        std::optional<double> seconds = NumericValue(waitText);
        if (!seconds) return;
        // Both can fail with error 6, before anything on screen changes.
        const std::int32_t milliseconds =
            CheckedMultiply(RoundToInt32(*seconds), kMillisecondsPerSecond);

        std::u16string caption = u"Waiting ";
        caption.append(waitText);
        caption.append(u" seconds...");
        host_.SetCaption(caption);
        ProcessEvents();
        PauseFor(milliseconds);
        host_.SetCaption(kCaptionIdle);
        ProcessEvents();
    }

    void TypeText(std::u16string_view text) {
        // An empty text types nothing, so wherever the foreground is does not matter.
        if (!text.empty() && host_.ForegroundIsOwn()) {
            throw RunError(kErrTypingIntoItself, kTypingIntoItself);
        }
        engine_.SendKeyText(text, false);
    }

    void ProcessEvents() {
        host_.ProcessPendingEvents();
        if (host_.Closing()) throw RunAbandoned{};
    }

    void PauseFor(double milliseconds) {
        try {
            host_.Pause(milliseconds);
        } catch (...) {
            // A wait never fails the run; at worst it was shorter.
        }
        if (host_.Closing()) throw RunAbandoned{};
    }

    // Each step stands alone: a step that fails must not keep the user from the others, and
    // nothing may leave the click handler.
    RunOutcome Report(std::int32_t number, const std::string& description) noexcept {
        try {
            host_.TakeFocus();
        } catch (...) {
        }
        try {
            if (number == kErrSubscriptOutOfRange) {
                if (currentLine_.empty()) {
                    host_.ShowMessage(kInvalidWithoutLine, kTitleInvalid);
                } else {
                    std::u16string text(kInvalidWithLine);
                    text.append(currentLine_);
                    host_.ShowMessage(text, kTitleInvalid);
                }
            } else {
                std::u16string text = Utf8ToUtf16(std::to_string(number));
                text.push_back(u' ');
                text.append(Utf8ToUtf16(description));
                host_.ShowMessage(text, kTitleOther);
            }
        } catch (...) {
        }
        try {
            if (!host_.Closing()) host_.SetCaption(kCaptionIdle);
        } catch (...) {
        }
        return RunOutcome::Failed;
    }

    RunnerHost& host_;
    MSendInput& engine_;
    std::u16string currentLine_;  // empty for a whole run: the error report reads it
};

}  // namespace

RunOutcome cmdRun_Click(RunnerHost& host, MSendInput& engine) {
    // Each click has its own run: a run started from inside this one's pauses keeps its own
    // script, lines and current line.
    return ScriptRun(host, engine).Execute();
}

}  // namespace typomancer
