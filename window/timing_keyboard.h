// A keyboard that notes, with QueryPerformanceCounter, when each text starts and how long its
// SendInput call takes, for the end-to-end benchmark (bench/e2e). It is put in place only when
// TYPOMANCER_TIMING_LOG names a file; otherwise the program never creates one.
#pragma once

#include <string>

#include "keyboard_api.h"

namespace typomancer {

class TimingKeyboard : public KeyboardApi {
public:
    TimingKeyboard(KeyboardApi& system, std::wstring logPath)
        : system_(system), logPath_(std::move(logPath)) {}

    // The engine asks for the version first thing in every text, before it parses anything:
    // that call marks the start of the text.
    PlatformVersion Version() override;
    KeyboardLayoutHandle CurrentLayout() override { return system_.CurrentLayout(); }
    std::int16_t ScanChar(std::uint8_t ansiCode) override { return system_.ScanChar(ansiCode); }
    std::uint32_t ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) override {
        return system_.ScanCodeOf(virtualKey, layout);
    }
    std::int16_t KeyState(int virtualKey) override { return system_.KeyState(virtualKey); }
    AnsiChar ToAnsi(char16_t ch) override { return system_.ToAnsi(ch); }
    std::uint32_t Inject(const InputRecord* records, std::uint32_t count) override;
    void SendKeysStatement(std::u16string_view text, bool wait) override {
        system_.SendKeysStatement(text, wait);
    }

    // The environment variable's file, or empty when timing is off.
    static std::wstring LogPathFromEnvironment();

private:
    KeyboardApi& system_;
    std::wstring logPath_;
    long long textStart_ = 0;
};

}  // namespace typomancer
