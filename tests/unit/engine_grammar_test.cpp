// The key-sequence notation: what each construct types, written as the records it injects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_test_support.h"
#include "utf.h"

namespace typomancer {
namespace {

using testing::Outcome;
using testing::Repeat;
using testing::Send;

struct Case {
    std::u16string text;
    std::string expected;
};

class Grammar : public ::testing::Test {
protected:
    void ExpectTyped(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE("text: " + Utf16ToUtf8(c.text));
            Outcome outcome = Send(engine_, keyboard_, c.text);
            EXPECT_EQ(outcome.error, 0);
            EXPECT_EQ(outcome.records, c.expected);
            EXPECT_EQ(outcome.injectionCalls, c.expected.empty() ? 0u : 1u);
            EXPECT_EQ(engine_.HeldModifiersValue(), 0);
        }
    }

    SimKeyboard keyboard_;
    MSendInput engine_{keyboard_};
};

TEST_F(Grammar, WorkedExamples) {
    ExpectTyped({
        {u"Hi~", "Shift↓ H↓ H↑ Shift↑ I↓ I↑ Enter↓ Enter↑"},
        {u"^A", "Ctrl↓ Shift↓ A↓ A↑ Shift↑ Ctrl↑"},
        {u"+(ab)", "Shift↓ A↓ A↑ B↓ B↑ Shift↑"},
        {u"+ab", "Shift↓ A↓ A↑ Shift↑ B↓ B↑"},
        {u"%{F4}", "Alt↓ F4↓ F4↑ Alt↑"},
        {u"{LEFT 3}", Repeat("Left↓ext Left↑", 3)},
        {u"{h 10}", Repeat("H↓ H↑", 10)},
        {u"é", "U+00E9↓ U+00E9↑"},
        {u"()", "Shift↓ 0↓ 0↑ Shift↑"},
        {u"hello world!", "H↓ H↑ E↓ E↑ L↓ L↑ L↓ L↑ O↓ O↑ Space↓ Space↑ W↓ W↑ O↓ O↑ R↓ R↑ L↓ L↑ "
                          "D↓ D↑ Shift↓ 1↓ 1↑ Shift↑"},
    });
}

TEST_F(Grammar, GroupsTakeEveryCharacterLiterallyAndDoNotNest) {
    ExpectTyped({
        {u"(", ""},
        {u"(ab", "A↓ A↑ B↓ B↑"},
        {u"+(", "Shift↓ Shift↑"},
        {u"+()", "Shift↓ Shift↑ Shift↓ 0↓ 0↑ Shift↑"},
        {u"(a(b)c)", "A↓ A↑ Shift↓ 9↓ 9↑ Shift↑ B↓ B↑ C↓ C↑ Shift↓ 0↓ 0↑ Shift↑"},
        {u"(+^%{})", "Shift↓ OEM_PLUS↓ OEM_PLUS↑ Shift↑ Shift↓ 6↓ 6↑ Shift↑ "
                     "Shift↓ 5↓ 5↑ Shift↑ Shift↓ OEM_4↓ OEM_4↑ Shift↑ Shift↓ OEM_6↓ OEM_6↑ Shift↑"},
        {u"(~)", "Enter↓ Enter↑"},
        {u")}", "Shift↓ 0↓ 0↑ Shift↑ Shift↓ OEM_6↓ OEM_6↑ Shift↑"},
        {u"^(ab)c", "Ctrl↓ A↓ A↑ B↓ B↑ Ctrl↑ C↓ C↑"},
    });
}

TEST_F(Grammar, BraceCodesFindTheirCloseAtLeastTwoAfterTheOpen) {
    const std::string closeBrace = "Shift↓ OEM_6↓ OEM_6↑ Shift↑";
    ExpectTyped({
        {u"{}", closeBrace},
        {u"{}}", closeBrace},
        {u"{{}", "Shift↓ OEM_4↓ OEM_4↑ Shift↑"},
        {u"{}a}", closeBrace},
        {u"{", ""},
        {u"{a", "A↓ A↑"},
        {u"x{ab", "X↓ X↑ A↓ A↑ B↓ B↑"},
        {u"{ }", "Space↓ Space↑"},
        {u"{+}{^}{%}", "Shift↓ OEM_PLUS↓ OEM_PLUS↑ Shift↑ Shift↓ 6↓ 6↑ Shift↑ Shift↓ 5↓ 5↑ Shift↑"},
        {u"{(}", "Shift↓ 9↓ 9↑ Shift↑"},
        {u"{~}", "Shift↓ OEM_3↓ OEM_3↑ Shift↑"},
        {u"~", "Enter↓ Enter↑"},
    });
}

TEST_F(Grammar, KeyNamesIgnoreCaseAndOtherNamesTypeTheirFirstCharacter) {
    ExpectTyped({
        {u"{enter}", "Enter↓ Enter↑"},
        {u"{Enter}", "Enter↓ Enter↑"},
        {u"{ENTER}", "Enter↓ Enter↑"},
        {u"{left 3}", Repeat("Left↓ext Left↑", 3)},
        {u"{pgdn}", "PageDown↓ext PageDown↑"},
        {u"{BREAK}{PAUSE}", "Pause↓ext Pause↑ Pause↓ Pause↑"},
        {u"{hello}", "H↓ H↑"},
        {u"{hello 3}", Repeat("H↓ H↑", 3)},
        {u"{ENTER2}", "Shift↓ E↓ E↑ Shift↑"},
        {u"{A 3}", Repeat("Shift↓ A↓ A↑ Shift↑", 3)},
        {u"{a b c}", "A↓ A↑"},
        {u"{F17}", "Shift↓ F↓ F↑ Shift↑"},
        {u"{ENTER }", "Enter↓ Enter↑"},
        {u"{ TAB}", "Space↓ Space↑"},
    });
}

TEST_F(Grammar, RepeatCountsRoundHalvesToEvenAndPressAtLeastOnce) {
    const std::string tab = "Tab↓ Tab↑";
    ExpectTyped({
        {u"{TAB 0}", tab},
        {u"{TAB -2}", tab},
        {u"{TAB x}", tab},
        {u"{TAB  3}", tab},
        {u"{TAB}", tab},
        {u"{TAB 2.5}", Repeat(tab, 2)},
        {u"{TAB 3.5}", Repeat(tab, 4)},
        {u"{TAB 0.5}", tab},
        {u"{TAB 1.5}", Repeat(tab, 2)},
        {u"{TAB 3x}", Repeat(tab, 3)},
        {u"{TAB 2 9}", Repeat(tab, 2)},
        {u"{TAB &H0A}", Repeat(tab, 10)},
        {u"{TAB &o12}", Repeat(tab, 10)},
        {u"{TAB 1e1}", Repeat(tab, 10)},
        {u"{TAB 1D1}", Repeat(tab, 10)},
        {u"{TAB 1\t2}", Repeat(tab, 12)},
        {u"{TAB -2147483648}", tab},
    });
}

TEST_F(Grammar, ModifierPrefixesNestAndRepeatLiterally) {
    ExpectTyped({
        {u"++a", "Shift↓ Shift↓ A↓ A↑ Shift↑ Shift↑"},
        {u"+^a", "Shift↓ Ctrl↓ A↓ A↑ Ctrl↑ Shift↑"},
        {u"^%{DEL}", "Ctrl↓ Alt↓ Delete↓ext Delete↑ Alt↑ Ctrl↑"},
        {u"+A", "Shift↓ A↓ A↑ Shift↑"},
        {u"+{A 2}", "Shift↓ A↓ A↑ A↓ A↑ Shift↑"},
        {u"^{a 2}", "Ctrl↓ A↓ A↑ A↓ A↑ Ctrl↑"},
        {u"+%(x)y", "Shift↓ Alt↓ X↓ X↑ Alt↑ Shift↑ Y↓ Y↑"},
        {u"+é", "Shift↓ U+00E9↓ U+00E9↑ Shift↑"},
        {u"^~", "Ctrl↓ Enter↓ Enter↑ Ctrl↑"},
    });
}

TEST_F(Grammar, ALongChainOfPrefixesKeepsItsShape) {
    std::u16string text(200, u'^');
    text += u"{ESC}";
    ExpectTyped({{text, Repeat("Ctrl↓", 200) + " Esc↓ Esc↑ " + Repeat("Ctrl↑", 200)}});
}

TEST_F(Grammar, AMillionPrefixesInARowFailWithNineRatherThanCrash) {
    std::u16string text(1000000, u'%');
    text += u"a";
    Outcome outcome = Send(engine_, keyboard_, text);
    EXPECT_EQ(outcome.error, kErrSubscriptOutOfRange);
    EXPECT_EQ(outcome.injectionCalls, 0u);
}

TEST_F(Grammar, CharactersBeyondTheLayoutGoAsUnicode) {
    // U+1F600 is two code units, each sent as its own pair.
    ExpectTyped({
        {u"ß", "U+00DF↓ U+00DF↑"},
        {u"Ω", "U+03A9↓ U+03A9↑"},
        {u"\U0001F600", "U+D83D↓ U+D83D↑ U+DE00↓ U+DE00↑"},
        {u"{é 2}", "U+00E9↓ U+00E9↑ U+00E9↓ U+00E9↑"},
    });
}

TEST_F(Grammar, CodesFrom256AreUnicodeAsPlainCharactersButGoThroughTheLayoutInBraces) {
    // Give the euro sign (0x80 in code page 1252) a key, as some layouts do.
    keyboard_.SetScanChar(0x80, 0x0645);  // Ctrl+Alt+E
    ExpectTyped({
        {u"€", "U+20AC↓ U+20AC↑"},
        {u"{€}", "Ctrl↓ Alt↓ E↓ E↑ Ctrl↑ Alt↑"},
    });
}

TEST_F(Grammar, ALatin1CharacterWithAKeyIsTypedThroughIt) {
    keyboard_.SetScanChar(0xE9, 0x00DE);  // é on a key of its own
    keyboard_.SetScanChar(0xC9, 0x01DE);  // É on the same key with Shift
    ExpectTyped({
        {u"é", "OEM_7↓ OEM_7↑"},
        {u"É", "Shift↓ OEM_7↓ OEM_7↑ Shift↑"},
        {u"{é}", "OEM_7↓ OEM_7↑"},
    });
}

TEST_F(Grammar, KeysThatNeedCtrlOrAltAreWrappedInBoth) {
    keyboard_.SetScanChar(0xE9, 0x0645);  // AltGr+E
    keyboard_.SetScanChar(0xC9, 0x0745);  // Shift+AltGr+E
    keyboard_.SetScanChar(0xE8, 0x0245);  // Ctrl alone
    keyboard_.SetScanChar(0xEA, 0x0445);  // Alt alone
    ExpectTyped({
        {u"é", "Ctrl↓ Alt↓ E↓ E↑ Ctrl↑ Alt↑"},
        {u"É", "Shift↓ Ctrl↓ Alt↓ E↓ E↑ Ctrl↑ Alt↑ Shift↑"},
        {u"è", "Ctrl↓ Alt↓ E↓ E↑ Ctrl↑ Alt↑"},
        {u"ê", "Ctrl↓ Alt↓ E↓ E↑ Ctrl↑ Alt↑"},
        // Inside a prefix Shift is not pressed again, but Ctrl and Alt always are.
        {u"+É", "Shift↓ Ctrl↓ Alt↓ E↓ E↑ Ctrl↑ Alt↑ Shift↑"},
        {u"^é", "Ctrl↓ Ctrl↓ Alt↓ E↓ E↑ Ctrl↑ Alt↑ Ctrl↑"},
    });
}

TEST_F(Grammar, CapsLockInvertsShiftForAsciiLettersOnly) {
    keyboard_.capsLock = true;
    keyboard_.SetScanChar(0xE9, 0x00DE);
    ExpectTyped({
        {u"Ab", "A↓ A↑ Shift↓ B↓ B↑ Shift↑"},
        {u"aaa", Repeat("Shift↓ A↓ A↑ Shift↑", 3)},
        {u"Z1!", "Z↓ Z↑ 1↓ 1↑ Shift↓ 1↓ 1↑ Shift↑"},
        {u"é", "OEM_7↓ OEM_7↑"},
        {u"[", "OEM_4↓ OEM_4↑"},
        // Brace codes never consult Caps Lock.
        {u"{a 3}", Repeat("A↓ A↑", 3)},
        {u"{A}", "Shift↓ A↓ A↑ Shift↑"},
        // Inside a "+" prefix an inverted letter still has Shift held by the prefix.
        {u"+a", "Shift↓ A↓ A↑ Shift↑"},
    });
}

// Caps Lock cannot change while a text is parsed, so it is asked once per text, and only when a
// character goes through the layout; a change between texts is seen by the next one.
TEST_F(Grammar, CapsLockIsAskedOncePerTextThatNeedsItAndSeenAnewByTheNext) {
    Send(engine_, keyboard_, u"{c 3}{TAB}+{F4}");
    EXPECT_EQ(keyboard_.keyStateQueries, 0u);
    Send(engine_, keyboard_, u"ab{c 3}é(de)");
    EXPECT_EQ(keyboard_.keyStateQueries, 1u);
    keyboard_.capsLock = true;
    ExpectTyped({{u"ab", "Shift↓ A↓ A↑ Shift↑ Shift↓ B↓ B↑ Shift↑"}});
    keyboard_.capsLock = false;
    ExpectTyped({{u"ab", "A↓ A↑ B↓ B↑"}});
}

TEST_F(Grammar, TheLayoutIsAskedAfreshForEveryText) {
    ExpectTyped({{u"qq{q}", "Q↓ Q↑ Q↓ Q↑ Q↓ Q↑"}});
    keyboard_.SetScanChar('q', 0x0041);  // the layout changed between texts
    ExpectTyped({{u"qq{q}", "A↓ A↑ A↓ A↑ A↓ A↑"}});
    keyboard_.SetAnsi(u'q', AnsiChar{1, {'x', 0}, true});
    ExpectTyped({{u"q{q 2}", "X↓ X↑ X↓ X↑ X↓ X↑"}});
}

TEST_F(Grammar, CapsLockCodeInTheTextDoesNotChangeTheTranslationOfLaterLetters) {
    ExpectTyped({{u"{CAPSLOCK}abc", "CapsLock↓ CapsLock↑ A↓ A↑ B↓ B↑ C↓ C↑"}});
}

TEST_F(Grammar, APrefixWithNothingAfterItFailsWithNineAndInjectsNothing) {
    for (std::u16string text : {u"+", u"abc^", u"x+%", u"abc+", u"{TAB 3}+^%", u"(ab)%"}) {
        SCOPED_TRACE("text: " + Utf16ToUtf8(text));
        Outcome outcome = Send(engine_, keyboard_, text);
        EXPECT_EQ(outcome.error, kErrSubscriptOutOfRange);
        EXPECT_EQ(outcome.injectionCalls, 0u);
    }
}

TEST_F(Grammar, ACountBeyond32BitsFailsWithSixBeforeAnyPress) {
    for (std::u16string text : {u"{TAB 2147483648}", u"{TAB -2147483649}", u"{x 1e10}",
                                u"a{TAB 2147483647.5}", u"{TAB 1e400}", u"{NOKEY &H100000000}"}) {
        SCOPED_TRACE("text: " + Utf16ToUtf8(text));
        Outcome outcome = Send(engine_, keyboard_, text);
        EXPECT_EQ(outcome.error, kErrOverflow);
        EXPECT_EQ(outcome.injectionCalls, 0u);
    }
}

TEST_F(Grammar, AFailedTextLeavesNoModifierForTheNext) {
    EXPECT_EQ(Send(engine_, keyboard_, u"+^{TAB 2147483648}").error, kErrOverflow);
    EXPECT_NE(engine_.HeldModifiersValue(), 0);
    ExpectTyped({{u"A", "Shift↓ A↓ A↑ Shift↑"}});
}

TEST_F(Grammar, ManyUnclosedOpenersAreDroppedQuickly) {
    // Each "(" and "{" looks ahead for its close; a text of nothing but openers must still be
    // read in one pass, and types only the letters between them.
    std::u16string text;
    for (int i = 0; i < 100000; ++i) text += u"({";
    text += u"a";
    ExpectTyped({{text, "A↓ A↑"}});
}

}  // namespace
}  // namespace typomancer
