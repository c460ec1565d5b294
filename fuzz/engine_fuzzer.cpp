// Fuzzes SendKeyText with arbitrary text, Caps Lock off and on.
//
// For every input: nothing crashes, leaks or hangs; a text that succeeds injects one batch that
// leaves no modifier down, and HeldModifiers is back to 0; a text that fails injects nothing and
// fails only with the errors the notation allows (6, 9); and the engine keeps nothing from one
// text to the next: the same text typed again gives the same result.
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

#include "fuzz_support.h"
#include "run_error.h"
#include "send_input.h"
#include "sim_keyboard.h"

namespace {

using namespace typomancer;

struct Outcome {
    std::optional<std::int32_t> error;
    std::vector<std::vector<InputRecord>> injections;
};

Outcome TypeOnce(MSendInput& engine, SimKeyboard& keyboard, const std::u16string& text) {
    keyboard.injections.clear();
    Outcome outcome;
    try {
        engine.SendKeyText(text, false);
        FUZZ_CHECK(engine.HeldModifiersValue() == 0, "HeldModifiers is 0 after a text");
    } catch (const RunError& error) {
        outcome.error = error.Number();
    }
    outcome.injections = keyboard.injections;
    return outcome;
}

void Check(const std::u16string& text, bool capsLock) {
    SimKeyboard keyboard;
    keyboard.capsLock = capsLock;
    MSendInput engine(keyboard);

    Outcome first = TypeOnce(engine, keyboard, text);
    if (first.error) {
        FUZZ_CHECK(*first.error == kErrOverflow || *first.error == kErrSubscriptOutOfRange,
                   "a text fails only with error 6 or 9");
        FUZZ_CHECK(first.injections.empty(), "a text that fails injects nothing");
    } else {
        FUZZ_CHECK(first.injections.size() <= 1, "one SendInput call per text");
        if (!first.injections.empty()) {
            const auto& batch = first.injections.front();
            FUZZ_CHECK(!batch.empty(), "an injection is never empty");
            FUZZ_CHECK(static_cast<std::int64_t>(batch.size()) == engine.EventCountValue(),
                       "the batch holds exactly EventCount records");
            fuzz::CheckBatch(batch.data(), batch.size());
        }
    }
    if (text.empty()) {
        FUZZ_CHECK(first.injections.empty() && !first.error, "an empty text does nothing");
    }

    // Whatever the first text left behind, held modifiers included, must not change the second.
    Outcome second = TypeOnce(engine, keyboard, text);
    FUZZ_CHECK(second.error == first.error, "the same text fails the same way again");
    FUZZ_CHECK(second.injections == first.injections,
               "the same text gives the same records again");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = fuzz::DecodeFuzzText(data, size);
    Check(text, false);
    Check(text, true);
    return 0;
}
