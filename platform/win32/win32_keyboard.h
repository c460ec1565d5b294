// The engine's view of the system through the real user32 and kernel32 calls.
#pragma once

#include <memory>

#include "keyboard_api.h"

namespace typomancer {

class MSendInput;

class Win32Keyboard : public KeyboardApi {
public:
    Win32Keyboard();
    ~Win32Keyboard() override;

    PlatformVersion Version() override;
    KeyboardLayoutHandle CurrentLayout() override;
    std::int16_t ScanChar(std::uint8_t ansiCode) override;
    std::uint32_t ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) override;
    std::int16_t KeyState(int virtualKey) override;
    AnsiChar ToAnsi(char16_t ch) override;
    std::uint32_t Inject(const InputRecord* records, std::uint32_t count) override;
    void SendKeysStatement(std::u16string_view text, bool wait) override;

private:
    // The key-sending statement types with an engine of its own, so that it can run while
    // the main engine is between texts and never hands a text back to itself.
    class StatementKeyboard;
    std::unique_ptr<StatementKeyboard> statementKeyboard_;
    std::unique_ptr<MSendInput> statementEngine_;
};

// Waits, at most `timeoutMs`, until the process of the foreground window has taken in the input
// sent so far. Used for the key-sending statement's wait flag.
void WaitForForegroundInputIdle(unsigned long timeoutMs);

}  // namespace typomancer
