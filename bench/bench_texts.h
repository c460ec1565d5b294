// The texts that the engine benchmarks type, shared by the native benchmark and the Windows
// timing program so that their figures compare.
#pragma once

#include <cstddef>
#include <string>

namespace typomancer {

// Letters of both cases, digits, blanks and punctuation, with nothing the notation treats
// specially: every character is one key press, a quarter of them with Shift.
std::u16string PlainText(std::size_t size);

// Key names, counts, prefixes, groups and Enter. Cut at a whole unit, so no code is left open.
std::u16string BraceHeavyText(std::size_t size);

// Items of 500 records from 9 characters, with the short items between them that the batch's
// capacity rule needs.
std::u16string LargeRepeatText(std::size_t size);

}  // namespace typomancer
