// The contents of the two reference pictures. The window draws them; the palette's codes must
// agree with the key table, which the tests check.
#pragma once

#include <array>
#include <string_view>

#include "layout.h"

namespace typomancer {

struct KeyTableRow {
    std::u16string_view key;
    std::u16string_view code;
};

// Header, then 36 rows: BACKSPACE to F1, then F2 to F16 (below the visible part).
constexpr std::u16string_view kKeyTableKeyHeader = u"Key";
constexpr std::u16string_view kKeyTableCodeHeader = u"Code";
const std::array<KeyTableRow, kKeyTableRowCount>& KeyTableRows();

// The notation help picture: three paragraphs, the first with the modifier table under it, the
// other two with two examples each (a code and what it does).
struct HelpExample {
    std::u16string_view code;
    std::u16string_view meaning;
};

struct HelpParagraph {
    std::u16string_view text;
    std::array<HelpExample, 2> examples;  // empty for the first paragraph
};

const std::array<HelpParagraph, 3>& HelpParagraphs();
const std::array<KeyTableRow, kHelpTableRowCount>& ModifierTableRows();

}  // namespace typomancer
