// Numbers written in scripts: the repeat count of a brace code, the seconds of a wait line and
// the palette's seconds box all go through these rules, so the three always agree.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace typomancer {

// The numeric test: apart from blanks at both ends, an optional sign, decimal digits with at
// most one decimal point (a full stop), and an optional exponent (E or D, optional sign,
// digits). Empty text, or any other character, is not a number.
bool IsNumeric(std::u16string_view text);

// The value of a text that passes IsNumeric; nothing for one that does not.
std::optional<double> NumericValue(std::u16string_view text);

// The number at the start of a text, read leniently: blanks, tabs and line feeds are skipped
// anywhere; an optional sign, digits with one decimal point and an exponent as above, or
// "&H" / "&O" and hexadecimal / octal digits. Reading stops at the first character that does
// not fit; a text that does not begin with a number reads as 0.
double LeadingNumber(std::u16string_view text);

// The nearest 32-bit whole number, halves going to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Throws error 6 (overflow) when the result does not fit.
std::int32_t RoundToInt32(double value);

// a * b in 32-bit arithmetic; throws error 6 when the product does not fit.
std::int32_t CheckedMultiply(std::int32_t a, std::int32_t b);

}  // namespace typomancer
