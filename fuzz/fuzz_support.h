// What both fuzz targets share: turning fuzz bytes into a script, and the checks on batches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "input_record.h"

namespace typomancer::fuzz {

// Stops the run with a message libFuzzer shows beside the input that broke the rule.
[[noreturn]] inline void Violated(const char* rule) {
    std::fprintf(stderr, "invariant violated: %s\n", rule);
    std::abort();
}

#define FUZZ_CHECK(condition, rule) \
    do {                            \
        if (!(condition)) ::typomancer::fuzz::Violated(rule); \
    } while (0)

// UTF-8 as the dictionary and the seeds are written, but lenient, so that every UTF-16 code
// unit can be reached: encoded surrogates give lone surrogates, and a byte that starts no
// sequence stands for the code unit of the same value.
inline std::u16string DecodeFuzzText(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    text.reserve(size);
    std::size_t i = 0;
    while (i < size) {
        std::uint8_t lead = data[i];
        std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t cp = extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : lead & 0x1Fu;
        bool complete = extra > 0;
        for (std::size_t k = 1; complete && k <= extra; ++k) {
            if (i + k >= size || (data[i + k] & 0xC0) != 0x80) complete = false;
            else cp = (cp << 6) | (data[i + k] & 0x3Fu);
        }
        if (!complete || cp > 0x10FFFF) {
            text.push_back(lead);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(cp));
        }
        i += extra + 1;
    }
    return text;
}

// Replays a batch on a keyboard that remembers which keys are down: Shift, Ctrl and Alt must
// all be up again at its end, and every record must be a well-formed keyboard record.
inline void CheckBatch(const InputRecord* records, std::size_t count) {
    bool down[3] = {false, false, false};
    for (std::size_t i = 0; i < count; ++i) {
        const InputRecord& record = records[i];
        FUZZ_CHECK(record.type == kInputKeyboard, "every injected record is a keyboard record");
        FUZZ_CHECK((record.dwFlags & ~(kFlagExtendedKey | kFlagKeyUp | kFlagUnicode)) == 0,
                   "only the extended, key-up and Unicode flags are used");
        FUZZ_CHECK(record.time == 0 && record.dwExtraInfo == 0, "time and extra info stay 0");
        if (record.dwFlags & kFlagUnicode) {
            FUZZ_CHECK(record.wVk == 0, "a Unicode event has no virtual key");
            continue;
        }
        if (record.wVk >= kVkShift && record.wVk <= kVkAlt) {
            down[record.wVk - kVkShift] = (record.dwFlags & kFlagKeyUp) == 0;
        }
    }
    FUZZ_CHECK(!down[0] && !down[1] && !down[2], "no Shift, Ctrl or Alt is left down");
}

}  // namespace typomancer::fuzz
