// Many thousands of generated texts built from the notation's constructs. Whatever a text holds,
// it either types something that leaves no key down, or fails with 6 or 9 having typed nothing;
// and a text's outcome never depends on the texts before it.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "utf.h"

namespace typomancer {
namespace {

class TextGenerator {
public:
    explicit TextGenerator(std::uint32_t seed) : random_(seed) {}

    std::u16string Next() {
        std::u16string text;
        int pieces = Uniform(0, 40);
        for (int i = 0; i < pieces; ++i) AppendPiece(text);
        return text;
    }

private:
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[static_cast<std::size_t>(Uniform(0, static_cast<int>(N) - 1))];
    }

    std::u16string PlainCharacter() {
        static const std::u16string kSpecial[] = {
            u"+", u"^", u"%", u"~", u"(", u")", u"{", u"}", u" ", u"!", u"\"", u"\\", u"|",
            u"\u00E9", u"\u00DF", u"\u00FF", u"\u0080", u"\u20AC", u"\u03A9", u"\u4E2D",
            u"\U0001F600", u"\t", u"\x01", u"\x7F",
            std::u16string(1, u'\0'), std::u16string(1, static_cast<char16_t>(0xD800)),
        };
        if (Uniform(0, 2) == 0) return Pick(kSpecial);
        return std::u16string(1, static_cast<char16_t>(Uniform(0x20, 0x7E)));
    }

    std::u16string Count() {
        static const char16_t* const kCounts[] = {
            u"0", u"1", u"3", u"12", u"-2", u"2.5", u"0.5", u"&H1F", u"&O7", u"1e1", u"1D1",
            u"x", u"3x", u"", u"99", u"300", u"2147483647", u"2147483648", u"1e10", u"-1e12",
            u"&H80000000", u"1\t2", u"1e400",
        };
        return Pick(kCounts);
    }

    std::u16string BraceName() {
        static const char16_t* const kNames[] = {
            u"ENTER", u"enter", u"Tab", u"LEFT", u"pgdn", u"F1", u"F16", u"F17", u"BREAK",
            u"PAUSE", u"PRTSC", u"DEL", u"CAPSLOCK", u"NUMLOCK", u"a", u"A", u"hello", u"+",
            u"^", u"%", u"~", u"(", u")", u"{", u"}", u"}}", u"", u"\u00E9", u"\u4E2D", u" ",
        };
        return Pick(kNames);
    }

    void AppendPiece(std::u16string& text) {
        switch (Uniform(0, 12)) {
            default:
                text += PlainCharacter();
                break;
            case 3: {  // one or more prefixes; the operand is whatever the next piece is
                static const char16_t kPrefixes[] = {u'+', u'^', u'%'};
                int chain = Uniform(0, 5) == 0 ? Uniform(2, 6) : 1;
                for (int i = 0; i < chain; ++i) text += Pick(kPrefixes);
                break;
            }
            case 4: {  // a group, sometimes unclosed or empty
                text += u'(';
                int length = Uniform(0, 12);
                for (int i = 0; i < length; ++i) {
                    std::u16string ch = PlainCharacter();
                    if (ch != u")") text += ch;
                }
                if (Uniform(0, 5) != 0) text += u')';
                break;
            }
            case 5:
            case 6: {  // a brace code, sometimes unclosed, with or without a count
                text += u'{';
                text += BraceName();
                switch (Uniform(0, 4)) {
                    default: break;
                    case 1: text += u' ' + Count(); break;
                    case 2: text += u"  " + Count(); break;
                    case 3: text += u' ' + Count() + u' ' + Count(); break;
                }
                if (Uniform(0, 7) != 0) text += u'}';
                break;
            }
            case 7:
                text += u'~';
                break;
            case 8: {  // a longer stretch of letters
                int length = Uniform(1, 80);
                for (int i = 0; i < length; ++i) text += static_cast<char16_t>(Uniform('a', 'z'));
                break;
            }
            case 9:
                if (Uniform(0, 3) == 0) text += u"{TAB 200}";
                break;
        }
    }

    std::mt19937 random_;
};

// Replays a batch as the system would see it and answers what is still down at its end.
std::map<std::uint32_t, int> KeysLeftDown(const std::vector<InputRecord>& records) {
    std::map<std::uint32_t, int> down;
    for (const InputRecord& record : records) {
        std::uint32_t key = (record.dwFlags & kFlagUnicode) ? 0x10000u + record.wScan : record.wVk;
        if (record.dwFlags & kFlagKeyUp) {
            down.erase(key);
        } else {
            ++down[key];
        }
    }
    return down;
}

// What every record of a successful batch must look like, whichever emitter wrote it.
void ExpectWellFormed(const std::vector<InputRecord>& records, SimKeyboard& keyboard) {
    for (const InputRecord& record : records) {
        ASSERT_EQ(record.type, kInputKeyboard);
        ASSERT_EQ(record.time, 0u);
        ASSERT_EQ(record.dwExtraInfo, 0u);
        bool up = (record.dwFlags & kFlagKeyUp) != 0;
        if (record.dwFlags & kFlagUnicode) {
            ASSERT_EQ(record.wVk, 0);
            ASSERT_EQ(record.dwFlags, up ? 6u : 4u);
            continue;
        }
        ASSERT_NE(record.wVk, 0);
        bool modifier = record.wVk == kVkShift || record.wVk == kVkControl || record.wVk == kVkAlt;
        if (up) {
            ASSERT_EQ(record.dwFlags, kFlagKeyUp);
            std::uint32_t scan = modifier ? 0 : keyboard.ScanCodeOf(record.wVk, SimKeyboard::kUsLayout);
            ASSERT_EQ(record.wScan, scan) << "vk " << record.wVk;
        } else {
            ASSERT_EQ(record.wScan, 0);
            ASSERT_TRUE(record.dwFlags == 0 || (record.dwFlags == kFlagExtendedKey && !modifier));
        }
    }
}

TEST(GeneratedTexts, SucceedWithNothingHeldOrFailWithSixOrNineHavingTypedNothing) {
    const std::uint32_t seed = 20240611;
    TextGenerator generator(seed);
    SimKeyboard keyboard;
    MSendInput engine(keyboard);
    int succeeded = 0;
    std::map<std::int32_t, int> failures;

    for (int i = 0; i < 30000; ++i) {
        std::u16string text = generator.Next();
        bool capsLock = (i % 7) == 0;
        keyboard.capsLock = capsLock;
        SCOPED_TRACE("seed " + std::to_string(seed) + ", text " + std::to_string(i) + ": " +
                     Utf16ToUtf8(text) + (capsLock ? " (Caps Lock on)" : ""));

        testing::Outcome outcome = testing::Send(engine, keyboard, text);
        if (outcome.error != 0) {
            ++failures[outcome.error];
            ASSERT_TRUE(outcome.error == kErrOverflow || outcome.error == kErrSubscriptOutOfRange)
                << "error " << outcome.error;
            ASSERT_EQ(outcome.injectionCalls, 0u);
        } else {
            ++succeeded;
            ASSERT_LE(outcome.injectionCalls, 1u);
            ASSERT_EQ(engine.HeldModifiersValue(), 0);
            if (outcome.injectionCalls == 1) {
                const std::vector<InputRecord>& batch = keyboard.injections.back();
                ASSERT_FALSE(batch.empty());
                ASSERT_NO_FATAL_FAILURE(ExpectWellFormed(batch, keyboard));
                ASSERT_TRUE(KeysLeftDown(batch).empty());
            }
        }

        // The same text on an engine that has seen nothing before gives the same outcome.
        SimKeyboard freshKeyboard;
        freshKeyboard.capsLock = capsLock;
        MSendInput fresh(freshKeyboard);
        testing::Outcome again = testing::Send(fresh, freshKeyboard, text);
        ASSERT_EQ(again.error, outcome.error);
        ASSERT_EQ(again.records, outcome.records);

        keyboard.injections.clear();
    }
    // The generator must reach all three outcomes, or the property says little.
    ::testing::Test::RecordProperty("succeeded", succeeded);
    ::testing::Test::RecordProperty("overflows", failures[kErrOverflow]);
    ::testing::Test::RecordProperty("outOfRange", failures[kErrSubscriptOutOfRange]);
    EXPECT_GT(succeeded, 10000);
    EXPECT_GT(failures[kErrOverflow], 100);
    EXPECT_GT(failures[kErrSubscriptOutOfRange], 100);
}

}  // namespace
}  // namespace typomancer
