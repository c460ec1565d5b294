// Everything the engine asks of the system, so that it can run against the real user32 or
// against a simulated keyboard in tests and in the dry-run tool.
#pragma once

#include <cstdint>
#include <string_view>

#include "input_record.h"

namespace typomancer {

struct PlatformVersion {
    std::uint32_t platformId = 2;  // 1 for the Windows 95 line, 2 for the NT line
    std::uint32_t majorVersion = 10;
    std::uint32_t minorVersion = 0;
};

// An opaque keyboard layout handle (HKL).
using KeyboardLayoutHandle = std::uintptr_t;

// One character in the system's ANSI code page.
struct AnsiChar {
    std::uint8_t length = 0;      // 1 for a single byte, 2 for a double-byte character
    std::uint8_t bytes[2] = {0, 0};
    bool exact = true;            // false when the code page lacks the character and the
                                  // conversion put a substitute (usually '?') in its place
};

class KeyboardApi {
public:
    virtual ~KeyboardApi() = default;

    // GetVersionExA.
    virtual PlatformVersion Version() = 0;
    // GetKeyboardLayout(0): the layout of the calling thread.
    virtual KeyboardLayoutHandle CurrentLayout() = 0;
    // VkKeyScanA: low byte the virtual key, high byte the shift state (1 Shift, 2 Ctrl,
    // 4 Alt); -1 when no key produces the character.
    virtual std::int16_t ScanChar(std::uint8_t ansiCode) = 0;
    // MapVirtualKeyExA with MAPVK_VK_TO_VSC; 0 when the layout has no scan code for the key.
    virtual std::uint32_t ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) = 0;
    // GetKeyState: bit 0 is the toggle, bit 15 the pressed state.
    virtual std::int16_t KeyState(int virtualKey) = 0;
    // The platform's default conversion from UTF-16 to the ANSI code page.
    virtual AnsiChar ToAnsi(char16_t ch) = 0;
    // SendInput with records already typed as keyboard input; returns how many the system
    // inserted into the input stream.
    virtual std::uint32_t Inject(const InputRecord* records, std::uint32_t count) = 0;
    // The toolkit's own key-sending statement, used on Windows 95 in place of the engine.
    virtual void SendKeysStatement(std::u16string_view text, bool wait) = 0;
};

// A keyboard that passes every call on to another one: the base of keyboards that watch or
// note some of the calls and override only those.
class ForwardingKeyboard : public KeyboardApi {
public:
    explicit ForwardingKeyboard(KeyboardApi& system) : system_(system) {}

    PlatformVersion Version() override { return system_.Version(); }
    KeyboardLayoutHandle CurrentLayout() override { return system_.CurrentLayout(); }
    std::int16_t ScanChar(std::uint8_t ansiCode) override { return system_.ScanChar(ansiCode); }
    std::uint32_t ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) override {
        return system_.ScanCodeOf(virtualKey, layout);
    }
    std::int16_t KeyState(int virtualKey) override { return system_.KeyState(virtualKey); }
    AnsiChar ToAnsi(char16_t ch) override { return system_.ToAnsi(ch); }
    std::uint32_t Inject(const InputRecord* records, std::uint32_t count) override {
        return system_.Inject(records, count);
    }
    void SendKeysStatement(std::u16string_view text, bool wait) override {
        system_.SendKeysStatement(text, wait);
    }

protected:
    KeyboardApi& system_;
};

}  // namespace typomancer
