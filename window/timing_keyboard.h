// A keyboard that notes, with QueryPerformanceCounter, when each text starts and how long its
// SendInput call takes, for the end-to-end benchmark (bench/e2e). It is put in place only when
// TYPOMANCER_TIMING_LOG names a file; otherwise the program never creates one.
#pragma once

#include <string>

#include "keyboard_api.h"

namespace typomancer {

class TimingKeyboard : public ForwardingKeyboard {
public:
    TimingKeyboard(KeyboardApi& system, std::wstring logPath)
        : ForwardingKeyboard(system), logPath_(std::move(logPath)) {}

    // The engine asks for the version first thing in every text, before it parses anything:
    // that call marks the start of the text.
    PlatformVersion Version() override;
    std::uint32_t Inject(const InputRecord* records, std::uint32_t count) override;

    // The environment variable's file, or empty when timing is off.
    static std::wstring LogPathFromEnvironment();

private:
    std::wstring logPath_;
    long long textStart_ = 0;
};

}  // namespace typomancer
