// A window that writes down what the runner does to it, and a keyboard that writes its
// injections into the same log, so a test reads one transcript of a whole run.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "runner_host.h"
#include "sim_keyboard.h"
#include "utf.h"

namespace typomancer::testing {

using Transcript = std::vector<std::string>;

class LoggingKeyboard : public SimKeyboard {
public:
    explicit LoggingKeyboard(Transcript& log) : log_(log) {}

    std::uint32_t Inject(const InputRecord* records, std::uint32_t count) override {
        log_.push_back("send " + std::to_string(count));
        return SimKeyboard::Inject(records, count);
    }

    // The characters of the key-down records of every injection, for checking what was typed
    // without spelling out records: "a" for a key, "+" for Shift.
    std::string TypedKeys() const {
        std::string keys;
        for (const auto& batch : injections) {
            for (const InputRecord& record : batch) {
                if (record.dwFlags & kFlagKeyUp) continue;
                if (record.wVk == kVkShift) {
                    keys += '+';
                } else if (record.wVk >= 'A' && record.wVk <= 'Z') {
                    keys += static_cast<char>(record.wVk - 'A' + 'a');
                } else {
                    keys += '<' + std::to_string(record.wVk) + '>';
                }
            }
        }
        return keys;
    }

private:
    Transcript& log_;
};

class FakeHost : public RunnerHost {
public:
    explicit FakeHost(Transcript& log) : log_(log) {}

    void SetCaption(std::u16string_view caption) override {
        log_.push_back("caption " + Utf16ToUtf8(caption));
    }
    void Minimise() override { log_.push_back("minimise"); }
    void MoveToBottom() override { log_.push_back("bottom"); }
    void TakeFocus() override { log_.push_back("focus"); }

    void ProcessPendingEvents() override {
        log_.push_back("events");
        if (onEvents) onEvents();
    }
    void Pause(double milliseconds) override {
        log_.push_back("pause " + std::to_string(std::llround(milliseconds)));
        if (onPause) onPause(milliseconds);
    }

    std::u16string ScriptText() override {
        log_.push_back("read");
        if (onRead) onRead();
        return script;
    }
    void ShowMessage(std::u16string_view text, std::u16string_view title) override {
        log_.push_back("message " + Utf16ToUtf8(title) + ": " + Utf16ToUtf8(text));
    }
    void SendKeysStatement(std::u16string_view text, bool wait) override {
        log_.push_back("statement " + Utf16ToUtf8(text) + (wait ? " 1" : " 0"));
    }

    bool ForegroundIsOwn() override { return foregroundIsOwn; }
    bool Closing() override { return closing; }

    std::u16string script;
    bool foregroundIsOwn = false;
    bool closing = false;
    std::function<void()> onEvents;
    std::function<void(double)> onPause;
    std::function<void()> onRead;

private:
    Transcript& log_;
};

}  // namespace typomancer::testing
