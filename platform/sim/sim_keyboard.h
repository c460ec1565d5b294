// A simulated keyboard: the United States English layout, the Western European ANSI code page
// 1252, a Caps Lock switch, a settable platform version and a SendInput that records.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "keyboard_api.h"

namespace typomancer {

class SimKeyboard : public KeyboardApi {
public:
    static constexpr KeyboardLayoutHandle kUsLayout = 0x04090409;

    struct StatementCall {
        std::u16string text;
        bool wait;
    };

    SimKeyboard();

    PlatformVersion Version() override { return version; }
    KeyboardLayoutHandle CurrentLayout() override { return kUsLayout; }
    std::int16_t ScanChar(std::uint8_t ansiCode) override;
    std::uint32_t ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) override;
    std::int16_t KeyState(int virtualKey) override;
    AnsiChar ToAnsi(char16_t ch) override;
    std::uint32_t Inject(const InputRecord* records, std::uint32_t count) override;
    void SendKeysStatement(std::u16string_view text, bool wait) override;

    // Changes the layout's answer for one ANSI code (for instance a key that needs AltGr).
    void SetScanChar(std::uint8_t ansiCode, std::int16_t keyScan) { keyScans_[ansiCode] = keyScan; }
    // Makes the code page answer `ansi` for `ch` (for instance a double-byte character).
    void SetAnsi(char16_t ch, AnsiChar ansi) { ansiOverrides_[ch] = ansi; }

    // Settings.
    PlatformVersion version;
    bool capsLock = false;
    // When set, Inject inserts at most this many events of each call, as the system does
    // when it refuses input.
    std::optional<std::uint32_t> insertLimit;

    // What was asked of the system.
    std::vector<std::vector<InputRecord>> injections;
    std::vector<StatementCall> statements;
    std::uint32_t keyStateQueries = 0;

private:
    std::int16_t keyScans_[256];
    std::map<char16_t, AnsiChar> ansiOverrides_;
};

}  // namespace typomancer
