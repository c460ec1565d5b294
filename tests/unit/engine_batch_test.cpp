// The batch: record shapes, one injection per text, the capacity rule, the Windows 95 hand-off,
// and what happens when the system or the code page does not play along.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_test_support.h"
#include "utf.h"

namespace typomancer {
namespace {

using testing::Describe;
using testing::Outcome;
using testing::Repeat;
using testing::Send;

InputRecord Record(std::uint16_t vk, std::uint16_t scan, std::uint32_t flags) {
    InputRecord record;
    record.type = kInputKeyboard;
    record.wVk = vk;
    record.wScan = scan;
    record.dwFlags = flags;
    return record;
}

class Batch : public ::testing::Test {
protected:
    Outcome Run(std::u16string_view text) { return Send(engine_, keyboard_, text); }
    const std::vector<InputRecord>& LastInjection() const { return keyboard_.injections.back(); }

    SimKeyboard keyboard_;
    MSendInput engine_{keyboard_};
};

TEST_F(Batch, OneLetterIsADownWithoutScanCodeAndAnUpWithIt) {
    ASSERT_EQ(Run(u"a").injectionCalls, 1u);
    EXPECT_EQ(LastInjection(), (std::vector<InputRecord>{Record('A', 0, 0), Record('A', 30, 2)}));
}

TEST_F(Batch, AnExtendedKeyGoesDownWithFlagOneAndUpWithFlagTwo) {
    Run(u"{DEL}{F16}{HELP}");
    EXPECT_EQ(LastInjection(), (std::vector<InputRecord>{
                                   Record(46, 0, 1), Record(46, 0x53, 2),
                                   Record(127, 0, 0), Record(127, 0x67, 2),
                                   // The layout has no scan code for Help: 0 is stored.
                                   Record(47, 0, 0), Record(47, 0, 2),
                               }));
}

TEST_F(Batch, WrapsCarryNoScanCodeAndReleaseCtrlBeforeAlt) {
    keyboard_.SetScanChar(0xC9, 0x0745);
    Run(u"É");
    EXPECT_EQ(LastInjection(), (std::vector<InputRecord>{
                                   Record(16, 0, 0), Record(17, 0, 0), Record(18, 0, 0),
                                   Record('E', 0, 0), Record('E', 0x12, 2),
                                   Record(17, 0, 2), Record(18, 0, 2), Record(16, 0, 2),
                               }));
}

TEST_F(Batch, UnicodeEventsHaveNoKeyAndFlagsFourAndSix) {
    Run(u"+é");
    EXPECT_EQ(LastInjection(), (std::vector<InputRecord>{
                                   Record(16, 0, 0), Record(0, 0xE9, 4), Record(0, 0xE9, 6),
                                   Record(16, 0, 2),
                               }));
}

TEST_F(Batch, RecordsConvertToThe32BitLayoutByteForByte) {
    InputRecord record = Record(0x2E, 0x53, kFlagKeyUp | kFlagExtendedKey);
    std::array<std::uint8_t, kInputRecordSize32> expected{
        1, 0, 0, 0, 0x2E, 0, 0x53, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    };
    EXPECT_EQ(ToInput32Bytes(record), expected);
}

TEST_F(Batch, AWholeTextIsOneInjection) {
    Outcome outcome = Run(u"hello world!{ENTER}");
    EXPECT_EQ(outcome.injectionCalls, 1u);
    EXPECT_EQ(LastInjection().size(), 28u);
    EXPECT_EQ(engine_.EventCountValue(), 28);
}

TEST_F(Batch, AnEmptyTextInjectsNothingButBuildsTheKeyTable) {
    EXPECT_FALSE(engine_.KeyNamesBuilt());
    Outcome outcome = Run(u"");
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.injectionCalls, 0u);
    ASSERT_TRUE(engine_.KeyNamesBuilt());
    EXPECT_EQ(engine_.KeyNames()->size(), 46u);
}

TEST_F(Batch, ATextThatTypesNothingInjectsNothing) {
    EXPECT_EQ(Run(u"(({").injectionCalls, 0u);
}

TEST_F(Batch, Windows95HandsTheTextOverAndBuildsNothing) {
    keyboard_.version = PlatformVersion{1, 4, 0};
    Outcome outcome = Run(u"abc+");  // invalid, but never parsed here
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.injectionCalls, 0u);
    EXPECT_FALSE(engine_.KeyNamesBuilt());
    ASSERT_EQ(keyboard_.statements.size(), 1u);
    EXPECT_EQ(keyboard_.statements[0].text, u"abc+");
    EXPECT_FALSE(keyboard_.statements[0].wait);

    engine_.SendKeyText(u"", true);
    ASSERT_EQ(keyboard_.statements.size(), 2u);
    EXPECT_TRUE(keyboard_.statements[1].wait);
    EXPECT_FALSE(engine_.KeyNamesBuilt());
}

TEST_F(Batch, EveryOtherVersionTakesTheBatchWay) {
    const PlatformVersion versions[] = {{1, 4, 10}, {1, 4, 90}, {2, 4, 0}, {2, 5, 1}, {2, 10, 0},
                                        {1, 3, 0},  {1, 5, 0}};
    for (const PlatformVersion& version : versions) {
        SCOPED_TRACE(std::to_string(version.platformId) + " " + std::to_string(version.majorVersion) +
                     "." + std::to_string(version.minorVersion));
        SimKeyboard keyboard;
        keyboard.version = version;
        MSendInput engine(keyboard);
        engine.SendKeyText(u"a", true);
        EXPECT_TRUE(keyboard.statements.empty());
        EXPECT_EQ(keyboard.injections.size(), 1u);
        EXPECT_TRUE(engine.KeyNamesBuilt());
    }
}

TEST_F(Batch, TheVersionIsAskedOnEveryCall) {
    Run(u"a");
    keyboard_.version = PlatformVersion{1, 4, 0};
    Run(u"b");
    EXPECT_EQ(keyboard_.injections.size(), 1u);
    EXPECT_EQ(keyboard_.statements.size(), 1u);
}

// The capacity rule: 512 records for the first item; between top-level items, when 25 or fewer
// records are free, 511 more; never within an item.
struct CapacityCase {
    std::u16string text;
    std::int32_t error;
    std::int32_t records;  // injected, when the text succeeds
};

TEST_F(Batch, CapacityIsDecidedExactly) {
    std::u16string spread;  // 300 characters as 300 items: fits, growing as it goes
    for (int i = 0; i < 300; ++i) spread += u"a";
    const CapacityCase cases[] = {
        {u"{TAB 256}", 0, 512},
        {u"{TAB 257}", kErrSubscriptOutOfRange, 0},
        // 486 written leaves 26 free and no growth: 26 more fit, 28 do not.
        {u"{TAB 243}{TAB 13}", 0, 512},
        {u"{TAB 243}{A 7}", kErrSubscriptOutOfRange, 0},
        // 488 written leaves 24 free: the batch grows to 1023 records before the next item.
        {u"{TAB 244}{TAB 267}", 0, 1022},
        {u"{TAB 244}{TAB 268}", kErrSubscriptOutOfRange, 0},
        // Within one item the batch never grows.
        {u"(" + spread + u")", kErrSubscriptOutOfRange, 0},
        {spread, 0, 600},
        {std::u16string(300, u'+') + u"a", kErrSubscriptOutOfRange, 0},
        {u"{TAB 255}" + std::u16string(257, u'+') + u"a", kErrSubscriptOutOfRange, 0},
        {u"{TAB 255}" + std::u16string(200, u'+') + u"a", 0, 510 + 402},
    };
    for (const CapacityCase& c : cases) {
        SCOPED_TRACE("text: " + Utf16ToUtf8(c.text).substr(0, 40));
        Outcome outcome = Run(c.text);
        EXPECT_EQ(outcome.error, c.error);
        if (c.error == 0) {
            ASSERT_EQ(outcome.injectionCalls, 1u);
            EXPECT_EQ(static_cast<std::int32_t>(LastInjection().size()), c.records);
        } else {
            EXPECT_EQ(outcome.injectionCalls, 0u);
        }
    }
}

TEST_F(Batch, TheBoundGrowsBy511AfterAnItemThatLeaves25OrFewerFree) {
    // A failed text leaves its bound behind, which shows when the growth happened.
    EXPECT_EQ(Run(u"{TAB 243}{TAB 14}").error, kErrSubscriptOutOfRange);
    EXPECT_EQ(engine_.UpperBoundValue(), 511);
    EXPECT_EQ(Run(u"{TAB 243}a{TAB 300}").error, kErrSubscriptOutOfRange);
    EXPECT_EQ(engine_.UpperBoundValue(), 1022);
    EXPECT_EQ(Run(u"{TAB 244}{TAB 268}").error, kErrSubscriptOutOfRange);
    EXPECT_EQ(engine_.UpperBoundValue(), 1022);
}

TEST_F(Batch, ALongTextGrowsAsOftenAsItNeeds) {
    std::u16string text;
    for (int i = 0; i < 20000; ++i) text += u"Ab{TAB 3}";
    Outcome outcome = Run(text);
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(LastInjection().size(), 20000u * (4 + 2 + 6));
}

TEST_F(Batch, RefusedKeysAreReleasedAndReported) {
    struct RefusalCase {
        std::u16string text;
        std::uint32_t accepted;
        std::vector<InputRecord> releases;  // empty: no second call
    };
    const RefusalCase cases[] = {
        // Shift went down and nothing else: only Shift comes up.
        {u"Hi", 1, {Record(16, 0, 2)}},
        // Shift and H down: both come up, innermost first; the key with its scan code.
        {u"Hi", 2, {Record('H', 35, 2), Record(16, 0, 2)}},
        // Everything that went down came up again: nothing to release.
        {u"Hi", 4, {}},
        {u"Hi", 0, {}},
        {u"é", 1, {Record(0, 0xE9, 6)}},
        {u"+(ab)", 4, {Record('B', 48, 2), Record(16, 0, 2)}},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE("text: " + Utf16ToUtf8(c.text) + ", accepted " + std::to_string(c.accepted));
        SimKeyboard keyboard;
        keyboard.insertLimit = c.accepted;
        MSendInput engine(keyboard);
        try {
            engine.SendKeyText(c.text);
            ADD_FAILURE() << "no error";
        } catch (const RunError& error) {
            EXPECT_EQ(error.Number(), kErrKeysRefused);
            EXPECT_NE(error.Description().find("refused"), std::string::npos);
        }
        ASSERT_EQ(keyboard.injections.size(), c.releases.empty() ? 1u : 2u);
        if (!c.releases.empty()) {
            EXPECT_EQ(keyboard.injections[1], c.releases);
        }
    }
}

TEST_F(Batch, AFullyAcceptedBatchIsNoError) {
    keyboard_.insertLimit = 8;
    EXPECT_EQ(Run(u"Hi~").error, 0);
}

TEST_F(Batch, ADoubleByteCharacterOverflows) {
    // As on a system whose ANSI code page is double-byte.
    AnsiChar doubleByte;
    doubleByte.length = 2;
    doubleByte.bytes[0] = 0x82;
    doubleByte.bytes[1] = 0xA0;
    keyboard_.SetAnsi(u'\u00E0', doubleByte);
    keyboard_.SetAnsi(u'\u3042', doubleByte);
    for (std::u16string text : {u"a\u00E0", u"{\u3042}", u"(\u00E0)"}) {
        SCOPED_TRACE("text: " + Utf16ToUtf8(text));
        Outcome outcome = Run(text);
        EXPECT_EQ(outcome.error, kErrOverflow);
        EXPECT_EQ(outcome.injectionCalls, 0u);
    }
    // Above 255 a plain character never asks the code page.
    EXPECT_EQ(Run(u"\u3042").records, "U+3042↓ U+3042↑");
}

TEST_F(Batch, ACharacterTheCodePageLacksIsSentAsItselfNotAsTheSubstitute) {
    // The conversion put "?" in place of the character; typing "?" would be wrong.
    AnsiChar substitute;
    substitute.length = 1;
    substitute.bytes[0] = '?';
    substitute.exact = false;
    keyboard_.SetAnsi(u'\u00E7', substitute);
    EXPECT_EQ(Run(u"\u00E7").records, "U+00E7↓ U+00E7↑");
    // In braces, a character above 255 goes through the code page, which lacks Ā.
    EXPECT_EQ(Run(u"{\u0100 2}").records, "U+0100↓ U+0100↑ U+0100↓ U+0100↑");
    // A conversion that fails outright is treated the same way.
    keyboard_.SetAnsi(u'\u00E7', AnsiChar{0, {0, 0}, false});
    EXPECT_EQ(Run(u"\u00E7").records, "U+00E7↓ U+00E7↑");
}

TEST(ByteHalves, ReadTheValueAsUnsigned16Bits) {
    EXPECT_EQ(HiByte(-1), 255);
    EXPECT_EQ(LoByte(-1), 255);
    EXPECT_EQ(HiByte(0x0131), 1);
    EXPECT_EQ(LoByte(0x0131), 0x31);
    EXPECT_EQ(HiByte(static_cast<std::int16_t>(0x8000)), 128);
    EXPECT_EQ(LoByte(static_cast<std::int16_t>(0x8000)), 0);
}

}  // namespace
}  // namespace typomancer
