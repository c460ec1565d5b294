#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "palette.h"
#include "picture_text.h"
#include "run_error.h"
#include "send_input.h"
#include "sim_keyboard.h"

namespace typomancer {
namespace {

std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t found = text.find(u"\r\n", pos);
        lines.push_back(text.substr(pos, found - pos));
        if (found == std::u16string::npos) return lines;
        pos = found + 2;
    }
}

TEST(Palette, KeyCodeButtonsAppendTheirCodeOnANewLine) {
    struct Case {
        int index;
        std::u16string script;
        std::u16string expected;
    };
    const std::u16string sample = SampleScript();
    const std::vector<Case> cases = {
        {6, u"", u"\r\n{ENTER}"},
        {18, sample, sample + u"\r\n{TAB}"},
        {0, u"abc", u"abc\r\n{BACKSPACE}"},
        {3, u"x", u"x\r\n{DELETE}"},
        {20, u"x", u"x\r\n{F1}"},
        // The box is only appended to: a last line without text, or a lone LF, stays as it is.
        {7, u"a\r\n", u"a\r\n\r\n{ESC}"},
        {19, u"a\n", u"a\n\r\n{UP}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        const PaletteEdit edit = PaletteClick(c.index, c.script, u"5");
        EXPECT_EQ(edit.script, c.expected);
        EXPECT_FALSE(edit.focusScript);
    }
}

TEST(Palette, ModifierButtonsAppendToTheLastLineAndMoveTheFocus) {
    const std::u16string sample = SampleScript();
    const std::u16string prefixes[] = {u"+", u"^", u"%"};
    for (int index = 21; index <= 23; ++index) {
        SCOPED_TRACE(index);
        const PaletteEdit edit = PaletteClick(index, sample, u"5");
        EXPECT_EQ(edit.script, sample + prefixes[index - 21]);
        EXPECT_TRUE(edit.focusScript);
        EXPECT_EQ(Lines(edit.script).back(), u"^{ESC}" + prefixes[index - 21]);
    }
    // A modifier then a key: the key lands on the next line, and a whole run joins them.
    const PaletteEdit shifted = PaletteClick(18, PaletteClick(21, u"a", u"").script, u"");
    EXPECT_EQ(shifted.script, u"a+\r\n{TAB}");
}

TEST(Palette, WaitButtonTakesTheSecondsAsTypedWhenTheyAreANumber) {
    struct Case {
        std::u16string wait;
        std::u16string code;
    };
    const std::vector<Case> cases = {
        {u"5", u"{WAIT 5}"},
        {u"12", u"{WAIT 12}"},
        {u"2.5", u"{WAIT 2.5}"},       // not rounded
        {u" 7 ", u"{WAIT  7 }"},       // not trimmed
        {u"-3", u"{WAIT -3}"},
        {u"1E2", u"{WAIT 1E2}"},
        {u"", u"{WAIT 5}"},
        {u"   ", u"{WAIT 5}"},
        {u"ten", u"{WAIT 5}"},
        {u"5s", u"{WAIT 5}"},
        {u"1.2.3", u"{WAIT 5}"},
        {u"5}", u"{WAIT 5}"},          // would otherwise close the code early
        {u"5\r\n{ENTER}", u"{WAIT 5}"},  // would otherwise smuggle in a line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.wait.begin(), c.wait.end()));
        const PaletteEdit edit = PaletteClick(24, u"x", c.wait);
        EXPECT_EQ(edit.script, u"x\r\n" + c.code);
        EXPECT_FALSE(edit.focusScript);
    }
}

TEST(Palette, IndexOutsideTheArrayIsSubscriptError) {
    for (int index : {-1, 25, 32767}) {
        SCOPED_TRACE(index);
        try {
            PaletteClick(index, u"keep", u"5");
            ADD_FAILURE() << "no error";
        } catch (const RunError& error) {
            EXPECT_EQ(error.Number(), kErrSubscriptOutOfRange);
        }
    }
}

// Each key button must add the first code of the key table row it stands beside, and the
// engine must know every code the palette adds.
TEST(Palette, KeyCodesMatchTheKeyTableAndTheEngineKnowsThem) {
    const auto& codes = PaletteCodes();
    const auto& rows = KeyTableRows();
    for (int i = 0; i <= 20; ++i) {
        SCOPED_TRACE(i);
        const std::u16string_view rowCodes = rows[static_cast<std::size_t>(i)].code;
        const std::u16string_view first = rowCodes.substr(0, rowCodes.find(u'}') + 1);
        EXPECT_EQ(codes[static_cast<std::size_t>(i)], first);

        SimKeyboard keyboard;
        MSendInput engine(keyboard);
        EXPECT_NO_THROW(engine.SendKeyText(codes[static_cast<std::size_t>(i)]));
        EXPECT_EQ(keyboard.injections.size(), 1u);
    }
    // A modifier prefix alone is invalid; with a key after it, as the palette leaves it for a
    // whole run, it is fine.
    for (int i = 21; i <= 23; ++i) {
        SimKeyboard keyboard;
        MSendInput engine(keyboard);
        std::u16string text(codes[static_cast<std::size_t>(i)]);
        EXPECT_THROW(engine.SendKeyText(text), RunError);
        EXPECT_NO_THROW(engine.SendKeyText(text + u"{TAB}"));
    }
}

TEST(SampleScript, HoldsTheTwentyLinesSeparatedByCrLf) {
    const std::u16string sample = SampleScript();
    const std::vector<std::u16string> lines = Lines(sample);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], u"hello world!");
    EXPECT_EQ(lines[2], u"10 spaces:" + std::u16string(10, u' ') + u"this is a test");
    EXPECT_EQ(lines[5], u"2 Tabs:{TAB}{TAB}some more text");
    EXPECT_EQ(lines[7], u"h 10 times: {h 10}");
    EXPECT_EQ(lines[10], u" ");
    EXPECT_EQ(lines[14], u"{WAIT 5}");
    EXPECT_EQ(lines[17], u"%{TAB}");
    EXPECT_EQ(lines[19], u"^{ESC}");
    EXPECT_EQ(sample.find(u'\n'), sample.find(u"\r\n") + 1);  // no LF without its CR
    EXPECT_EQ(std::count(sample.begin(), sample.end(), u'\r'), 19);
}

TEST(SampleScript, EveryLineTheEngineGetsIsValid) {
    for (const std::u16string& line : Lines(SampleScript())) {
        if (line.find(u"{WAIT") != std::u16string::npos) continue;  // the runner's alone
        SCOPED_TRACE(std::string(line.begin(), line.end()));
        SimKeyboard keyboard;
        MSendInput engine(keyboard);
        EXPECT_NO_THROW(engine.SendKeyText(line));
    }
}

}  // namespace
}  // namespace typomancer
