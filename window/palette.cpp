#include "palette.h"

#include "numbers.h"
#include "run_error.h"

namespace typomancer {
namespace {

constexpr std::array<std::u16string_view, 24> kPaletteCodes{
    u"{BACKSPACE}", u"{BREAK}",  u"{CAPSLOCK}", u"{DELETE}",     u"{DOWN}",  u"{END}",
    u"{ENTER}",     u"{ESC}",    u"{HELP}",     u"{HOME}",       u"{INSERT}", u"{LEFT}",
    u"{NUMLOCK}",   u"{PGDN}",   u"{PGUP}",     u"{PRTSC}",      u"{RIGHT}", u"{SCROLLLOCK}",
    u"{TAB}",       u"{UP}",     u"{F1}",       u"+",            u"^",       u"%",
};

constexpr std::u16string_view kLineBreak = u"\r\n";
constexpr std::u16string_view kDefaultWait = u"{WAIT 5}";

constexpr std::array<std::u16string_view, 20> kSampleLines{
    u"hello world!",
    u"{ENTER}",
    u"10 spaces:          this is a test",
    u"{ENTER}",
    u"{ENTER}",
    u"2 Tabs:{TAB}{TAB}some more text",
    u"{ENTER}",
    u"h 10 times: {h 10}",
    u"{ENTER}",
    u"single space",
    u" ",
    u"{ENTER}",
    u"wait 5 seconds",
    u"{ENTER}",
    u"{WAIT 5}",
    u"{ENTER}",
    u"ALT-TAB",
    u"%{TAB}",
    u"CTRL-Escape",
    u"^{ESC}",
};

}  // namespace

const std::array<std::u16string_view, 24>& PaletteCodes() { return kPaletteCodes; }

PaletteEdit PaletteClick(int index, std::u16string_view script, std::u16string_view waitText) {
    if (index < 0 || index >= kPaletteButtonCount) throw SubscriptOutOfRangeError();

    PaletteEdit edit{std::u16string(script), false};
    if (index >= 21 && index <= 23) {
        edit.script.append(kPaletteCodes[index]);
        edit.focusScript = true;
        return edit;
    }

    edit.script.append(kLineBreak);
    if (index < 21) {
        edit.script.append(kPaletteCodes[index]);
    } else if (IsNumeric(waitText)) {
        // Taken as typed, blanks and all: the runner reads the same text the same way.
        edit.script.append(u"{WAIT ");
        edit.script.append(waitText);
        edit.script.append(u"}");
    } else {
        edit.script.append(kDefaultWait);
    }
    return edit;
}

std::u16string SampleScript() {
    std::u16string script;
    for (std::size_t i = 0; i < kSampleLines.size(); ++i) {
        if (i > 0) script.append(kLineBreak);
        script.append(kSampleLines[i]);
    }
    return script;
}

}  // namespace typomancer
