// How the dry-run tool prints what would be sent.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "input_record.h"
#include "keyboard_api.h"

namespace typomancer {

// "Shift", "A", "F4", "Left", or "VK_0xFF" for a key without a name here.
std::string VirtualKeyName(std::uint16_t virtualKey);

// "wVk wScan dwFlags" in decimal.
std::string FormatRecordRaw(const InputRecord& record);
// For example "H up (vk 72, scan 35, flags 2)" or "U+00E9 'é' down (unicode, flags 4)".
std::string FormatRecordReadable(const InputRecord& record);

// A keyboard that answers every question from `base` but injects nothing: each SendInput call
// prints "send N" and its records, and the key-sending statement prints "statement TEXT WAIT".
class ReportingKeyboard : public KeyboardApi {
public:
    ReportingKeyboard(KeyboardApi& base, std::ostream& out, bool raw, bool capsLock)
        : base_(base), out_(out), raw_(raw), capsLock_(capsLock) {}

    PlatformVersion Version() override { return base_.Version(); }
    KeyboardLayoutHandle CurrentLayout() override { return base_.CurrentLayout(); }
    std::int16_t ScanChar(std::uint8_t ansiCode) override { return base_.ScanChar(ansiCode); }
    std::uint32_t ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) override {
        return base_.ScanCodeOf(virtualKey, layout);
    }
    std::int16_t KeyState(int virtualKey) override;
    AnsiChar ToAnsi(char16_t ch) override { return base_.ToAnsi(ch); }
    std::uint32_t Inject(const InputRecord* records, std::uint32_t count) override;
    void SendKeysStatement(std::u16string_view text, bool wait) override;

private:
    KeyboardApi& base_;
    std::ostream& out_;
    bool raw_;
    bool capsLock_;
};

}  // namespace typomancer
