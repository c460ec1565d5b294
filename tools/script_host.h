// The dry-run tool's stand-in for the main window: the real runner drives it, and every window
// operation, pause and message box becomes one printed line instead.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "keyboard_api.h"
#include "runner_host.h"

namespace typomancer {

class ReportingHost : public RunnerHost {
public:
    // `keyboard` prints the key-sending statement the way the engine's records are printed.
    ReportingHost(std::u16string script, KeyboardApi& keyboard, std::ostream& out)
        : script_(std::move(script)), keyboard_(keyboard), out_(out) {}

    void SetCaption(std::u16string_view caption) override;
    void Minimise() override;
    void MoveToBottom() override;
    void TakeFocus() override;

    void ProcessPendingEvents() override {}
    // Prints the milliseconds asked and returns at once.
    void Pause(double milliseconds) override;

    std::u16string ScriptText() override { return script_; }
    void ShowMessage(std::u16string_view text, std::u16string_view title) override;
    void SendKeysStatement(std::u16string_view text, bool wait) override;

    // Nothing is typed, so nothing can be typed into this program.
    bool ForegroundIsOwn() override { return false; }
    bool Closing() override { return false; }

private:
    std::u16string script_;
    KeyboardApi& keyboard_;
    std::ostream& out_;
};

// The text of a script file read as UTF-8: a byte order mark is skipped and line breaks are
// kept exactly as they are.
std::u16string ScriptFromUtf8(std::string_view bytes);

// A line of output: CR and LF written as \r and \n, so that one action stays one line.
std::string EscapeLineBreaks(std::u16string_view text);

}  // namespace typomancer
