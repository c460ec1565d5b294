// What the script runner needs of the window it belongs to. The main window implements it
// with Win32 calls; tests and the dry-run tool implement it with fakes that record.
#pragma once

#include <string>
#include <string_view>

namespace typomancer {

class RunnerHost {
public:
    virtual ~RunnerHost() = default;

    virtual void SetCaption(std::u16string_view caption) = 0;
    virtual void Minimise() = 0;
    // Behind all other windows, so the window that was behind it comes to the front.
    virtual void MoveToBottom() = 0;
    // Gives the window the keyboard focus without changing its window state.
    virtual void TakeFocus() = 0;

    // Handles every pending window event and returns; a click handled here may start a
    // nested run.
    virtual void ProcessPendingEvents() = 0;
    // Waits the given milliseconds while handling events; never throws.
    virtual void Pause(double milliseconds) = 0;

    // The text of the script box, lines separated by CR LF.
    virtual std::u16string ScriptText() = 0;
    // A modal message box with an OK button and the exclamation icon.
    virtual void ShowMessage(std::u16string_view text, std::u16string_view title) = 0;
    // The toolkit's own key-sending statement; with wait set it returns once the keys have
    // been processed.
    virtual void SendKeysStatement(std::u16string_view text, bool wait) = 0;

    // True when the foreground window belongs to this program (its window or one of its
    // message boxes), so that keys sent now would be typed into the program itself.
    virtual bool ForegroundIsOwn() = 0;
    // True once the user has closed the window: a run in progress stops without typing more.
    virtual bool Closing() = 0;
};

}  // namespace typomancer
