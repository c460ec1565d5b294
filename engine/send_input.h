// The key injection engine: turns one key-sequence text into a batch of keyboard records and
// injects the whole batch with one call.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input_record.h"
#include "key_names.h"
#include "keyboard_api.h"

namespace typomancer {

// Bits of HeldModifiers.
constexpr std::int32_t kHeldShift = 1;
constexpr std::int32_t kHeldCtrl = 2;
constexpr std::int32_t kHeldAlt = 4;

// The first batch of a text holds indices 0 to 511 ...
constexpr std::int32_t kInitialUpperBound = 511;
// ... and grows by this many records between top-level items ...
constexpr std::int32_t kGrowthStep = 511;
// ... once no more than this many records above EventCount are free.
constexpr std::int32_t kGrowthMargin = 24;

std::uint8_t HiByte(std::int16_t value);
std::uint8_t LoByte(std::int16_t value);

// The engine's state between and during texts. One instance lives for the whole process in the
// program; the key name table is built on first use and kept.
class MSendInput {
public:
    explicit MSendInput(KeyboardApi& api) : api_(api) {}
    MSendInput(const MSendInput&) = delete;
    MSendInput& operator=(const MSendInput&) = delete;

    // Types `text` into the foreground window: parses it whole, then injects every record in
    // one SendInput call. Throws RunError (6, 9, or kErrKeysRefused) with nothing of the text
    // injected, except that a refused batch may have been partly inserted by the system
    // before it stopped (its held keys are then released).
    void SendKeyText(std::u16string_view text, bool wait = false);

    // What the last text left behind, for tests and tools.
    std::int32_t EventCountValue() const { return EventCount; }
    std::int32_t UpperBoundValue() const { return UpperBound; }
    std::int32_t HeldModifiersValue() const { return HeldModifiers; }
    bool KeyNamesBuilt() const { return KeyCodes.has_value(); }
    const KeyNameTable* KeyNames() const { return KeyCodes ? &*KeyCodes : nullptr; }

private:
    // Parser.
    void ParseNextItem();
    void ParseOperand(char16_t first);
    void ParseModifier(char16_t prefix);
    void ParseGroup();
    void ParseBraceCode();
    void AddCharacter(char16_t ch);
    bool IsCapsLockOn();
    char16_t NextChar();

    // Emitters.
    void AddKeyPress(std::uint16_t keyCode, bool needsShift, bool isExtended, bool needsCtrlAlt);
    void AddUnicodeChar(std::uint16_t charCode);
    void AddModifierEvent(std::uint16_t keyCode, bool keyDown);
    void WriteRecord(std::uint16_t wVk, std::uint16_t wScan, std::uint32_t dwFlags);
    void GrowIfNearlyFull();
    void DiscardBatch();

    // One byte of `ch` in the ANSI code page, or nothing when the code page lacks it.
    std::optional<std::uint8_t> AnsiByte(char16_t ch);
    // The system's answers, asked once per text (see SystemAnswers).
    AnsiChar ToAnsi(char16_t ch);
    std::int16_t ScanChar(std::uint8_t ansiCode);
    std::uint32_t ScanCodeOf(std::uint16_t keyCode);
    void PressAnsiKey(std::int16_t keyScan, bool invertShift);

    void Inject();
    void ReleaseKeysLeftDown(std::uint32_t inserted);

    // Position of the first `target` at or after the 0-based index `from`, or npos. The parse
    // position only grows within a text, so the last answer is reused while it still holds:
    // a text full of unclosed braces is scanned once, not once per brace.
    struct FindCache {
        std::size_t searchedFrom = std::u16string::npos;
        std::size_t found = std::u16string::npos;
    };
    std::size_t FindFrom(char16_t target, std::size_t from, FindCache& cache) const;

    KeyboardApi& api_;

    std::vector<InputRecord> InputEvents;
    std::int32_t UpperBound = -1;  // highest index the batch may hold; -1 while it is absent
    std::int32_t EventCount = 0;
    std::u16string ParseText;
    std::int32_t ParsePos = 0;
    std::int32_t HeldModifiers = 0;
    KeyboardLayoutHandle KeyboardLayout = 0;
    std::optional<KeyNameTable> KeyCodes;  // KeyCodes and ExtendedKeys, built together

    FindCache closeParen_;
    FindCache closeBrace_;

    // What the system says about characters and keys cannot change while one text is parsed:
    // no window event is processed and nothing is injected before the whole batch is built, so
    // the layout, the code page and the key states stay as they were when the text began. Each
    // question is put to the system once per text and the answer kept until the text ends; on
    // a real system these calls cost far more than the parsing around them (tens of
    // microseconds a character under Wine). Only byte-sized questions are kept; the rare
    // others go to the system each time.
    template <typename T>
    struct ByteAnswers {
        std::bitset<256> known;
        std::array<T, 256> value{};

        template <typename Ask>
        T Get(std::size_t index, Ask ask) {
            if (!known[index]) {
                value[index] = ask();
                known[index] = true;
            }
            return value[index];
        }
    };
    struct SystemAnswers {
        ByteAnswers<AnsiChar> ansi;
        ByteAnswers<std::int16_t> scanChar;
        ByteAnswers<std::uint32_t> scanCode;
        std::optional<bool> capsLockOn;

        void Forget() {
            ansi.known.reset();
            scanChar.known.reset();
            scanCode.known.reset();
            capsLockOn.reset();
        }
    };
    SystemAnswers answers_;
};

}  // namespace typomancer
