// What the palette buttons and the start-up put into the script box, kept apart from the window
// so it can be tried without one.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace typomancer {

constexpr int kPaletteButtonCount = 25;

// The codes of buttons 0 to 20 (the first code of the key table row each stands beside), then
// the modifier prefixes of buttons 21 to 23. Button 24 builds its code from the seconds box.
const std::array<std::u16string_view, 24>& PaletteCodes();

struct PaletteEdit {
    std::u16string script;   // the whole new text of the script box
    bool focusScript;        // the keyboard focus moves into the script box
};

// The script after a click on palette button `index`: a code goes on a new line after CR LF, a
// modifier prefix straight onto the end of the last line, and a wait code takes the seconds
// box's text as typed when it is a number, else 5. Throws RunError 9 for an index outside 0 to
// 24.
PaletteEdit PaletteClick(int index, std::u16string_view script, std::u16string_view waitText);

// The script the box holds after start-up: 20 lines separated by CR LF.
std::u16string SampleScript();

}  // namespace typomancer
