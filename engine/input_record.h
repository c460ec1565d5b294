// The keyboard variant of the platform's INPUT record, as the engine builds it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace typomancer {

constexpr std::uint32_t kInputKeyboard = 1;

// dwFlags bits.
constexpr std::uint32_t kFlagExtendedKey = 1;
constexpr std::uint32_t kFlagKeyUp = 2;
constexpr std::uint32_t kFlagUnicode = 4;

// Virtual-key codes the engine itself names.
constexpr std::uint16_t kVkEnter = 13;
constexpr std::uint16_t kVkShift = 16;
constexpr std::uint16_t kVkControl = 17;
constexpr std::uint16_t kVkAlt = 18;
constexpr std::uint16_t kVkCapsLock = 20;

// The fields of INPUT that a keyboard record uses. `time` and `dwExtraInfo` are never set by
// the engine but are kept so that a record converts to the platform's layout field by field.
struct InputRecord {
    std::uint32_t type = 0;
    std::uint16_t wVk = 0;
    std::uint16_t wScan = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t time = 0;
    std::uint32_t dwExtraInfo = 0;

    friend bool operator==(const InputRecord& a, const InputRecord& b) {
        return a.type == b.type && a.wVk == b.wVk && a.wScan == b.wScan &&
               a.dwFlags == b.dwFlags && a.time == b.time && a.dwExtraInfo == b.dwExtraInfo;
    }
    friend bool operator!=(const InputRecord& a, const InputRecord& b) { return !(a == b); }
};

// Size of INPUT in a 32-bit process: type, then the union whose mouse variant (24 bytes) is
// the longest.
constexpr std::size_t kInputRecordSize32 = 28;

// The record in the exact little-endian layout of a 32-bit INPUT.
std::array<std::uint8_t, kInputRecordSize32> ToInput32Bytes(const InputRecord& record);

}  // namespace typomancer
