// Shared by the engine's tests: batches written as short readable strings, so that an expected
// sequence of records reads like the notation's own examples ("Shift↓ H↓ H↑ Shift↑").
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "input_record.h"
#include "report.h"
#include "run_error.h"
#include "send_input.h"
#include "sim_keyboard.h"

namespace typomancer::testing {

// One token per record: the key's name, ↓ or ↑, and "ext" on an extended key; a Unicode event
// is its code, "U+00E9↓". Scan codes are left out here and checked by the tests of record
// shapes.
inline std::string DescribeRecord(const InputRecord& record) {
    const char* direction = (record.dwFlags & kFlagKeyUp) ? "↑" : "↓";
    std::string token;
    if (record.dwFlags & kFlagUnicode) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(record.wScan));
        token = code;
    } else {
        token = VirtualKeyName(record.wVk);
    }
    token += direction;
    if (record.dwFlags & kFlagExtendedKey) token += "ext";
    return token;
}

inline std::string Describe(const std::vector<InputRecord>& records) {
    std::string out;
    for (const InputRecord& record : records) {
        if (!out.empty()) out += ' ';
        out += DescribeRecord(record);
    }
    return out;
}

// `tokens` `times` times over, separated by blanks.
inline std::string Repeat(const std::string& tokens, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        if (!out.empty()) out += ' ';
        out += tokens;
    }
    return out;
}

// The outcome of one text: the error number (0 when it succeeded) and what was injected.
struct Outcome {
    std::int32_t error = 0;
    std::size_t injectionCalls = 0;
    std::string records;  // Describe() of the first injection, empty when there was none
};

inline Outcome Send(MSendInput& engine, SimKeyboard& keyboard, std::u16string_view text) {
    Outcome outcome;
    std::size_t callsBefore = keyboard.injections.size();
    try {
        engine.SendKeyText(text);
    } catch (const RunError& error) {
        outcome.error = error.Number();
    }
    outcome.injectionCalls = keyboard.injections.size() - callsBefore;
    if (outcome.injectionCalls > 0) outcome.records = Describe(keyboard.injections[callsBefore]);
    return outcome;
}

}  // namespace typomancer::testing
