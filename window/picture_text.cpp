#include "picture_text.h"

namespace typomancer {
namespace {

constexpr std::array<KeyTableRow, kKeyTableRowCount> kKeyRows{{
    {u"BACKSPACE", u"{BACKSPACE}, {BS}, or {BKSP}"},
    {u"BREAK", u"{BREAK}"},
    {u"CAPS LOCK", u"{CAPSLOCK}"},
    {u"DEL or DELETE", u"{DELETE} or {DEL}"},
    {u"DOWN ARROW", u"{DOWN}"},
    {u"END", u"{END}"},
    {u"ENTER", u"{ENTER} or ~"},
    {u"ESC", u"{ESC}"},
    {u"HELP", u"{HELP}"},
    {u"HOME", u"{HOME}"},
    {u"INS or INSERT", u"{INSERT} or {INS}"},
    {u"LEFT ARROW", u"{LEFT}"},
    {u"NUM LOCK", u"{NUMLOCK}"},
    {u"PAGE DOWN", u"{PGDN}"},
    {u"PAGE UP", u"{PGUP}"},
    {u"PRINT SCREEN", u"{PRTSC}"},
    {u"RIGHT ARROW", u"{RIGHT}"},
    {u"SCROLL LOCK", u"{SCROLLLOCK}"},
    {u"TAB", u"{TAB}"},
    {u"UP ARROW", u"{UP}"},
    {u"F1", u"{F1}"},
    {u"F2", u"{F2}"},
    {u"F3", u"{F3}"},
    {u"F4", u"{F4}"},
    {u"F5", u"{F5}"},
    {u"F6", u"{F6}"},
    {u"F7", u"{F7}"},
    {u"F8", u"{F8}"},
    {u"F9", u"{F9}"},
    {u"F10", u"{F10}"},
    {u"F11", u"{F11}"},
    {u"F12", u"{F12}"},
    {u"F13", u"{F13}"},
    {u"F14", u"{F14}"},
    {u"F15", u"{F15}"},
    {u"F16", u"{F16}"},
}};

constexpr std::array<KeyTableRow, kHelpTableRowCount> kModifierRows{{
    {u"SHIFT", u"+"},
    {u"CTRL", u"^"},
    {u"ALT", u"%"},
}};

constexpr std::array<HelpParagraph, 3> kParagraphs{{
    {u"To press a key together with SHIFT, CTRL or ALT, write one or more of these modifier "
     u"codes before the key's code:",
     {}},
    {u"To hold modifiers down while several keys are pressed, put those keys in parentheses "
     u"after the modifier codes:",
     {{{u"+(EC)", u"SHIFT is held down while E and C are pressed"},
       {u"+EC", u"SHIFT is held down while E is pressed, then C is pressed alone"}}}},
    {u"To press a key several times, write {key number}, with a blank between the key and the "
     u"number:",
     {{{u"{LEFT 42}", u"presses the LEFT ARROW key 42 times"},
       {u"{h 10}", u"types the letter h ten times"}}}},
}};

}  // namespace

const std::array<KeyTableRow, kKeyTableRowCount>& KeyTableRows() { return kKeyRows; }
const std::array<HelpParagraph, 3>& HelpParagraphs() { return kParagraphs; }
const std::array<KeyTableRow, kHelpTableRowCount>& ModifierTableRows() { return kModifierRows; }

}  // namespace typomancer
