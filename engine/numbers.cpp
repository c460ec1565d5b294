#include "numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "run_error.h"

namespace typomancer {
namespace {

bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

// Reads a decimal number in the shared syntax, appending its characters, in the form that
// strtod reads, to `out`. `skip` tells which characters are passed over wherever they stand.
// Returns the index of the first character not read and whether any digit was seen.
template <typename Skip>
std::size_t ReadDecimal(std::u16string_view text, std::size_t pos, Skip skip, std::string& out,
                        bool& sawDigit) {
    auto skipAll = [&] {
        while (pos < text.size() && skip(text[pos])) ++pos;
    };
    sawDigit = false;
    skipAll();
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        out.push_back(static_cast<char>(text[pos++]));
    }
    bool sawPoint = false;
    for (;; ++pos) {
        skipAll();
        if (pos >= text.size()) break;
        char16_t ch = text[pos];
        if (IsDigit(ch)) {
            sawDigit = true;
            out.push_back(static_cast<char>(ch));
        } else if (ch == u'.' && !sawPoint) {
            sawPoint = true;
            out.push_back('.');
        } else {
            break;
        }
    }
    if (!sawDigit || pos >= text.size()) return pos;

    // The exponent counts only when digits follow; otherwise reading stops before its letter.
    char16_t marker = text[pos];
    if (marker != u'E' && marker != u'e' && marker != u'D' && marker != u'd') return pos;
    std::size_t exponentPos = pos + 1;
    std::string exponent = "e";
    auto skipFrom = [&](std::size_t p) {
        while (p < text.size() && skip(text[p])) ++p;
        return p;
    };
    exponentPos = skipFrom(exponentPos);
    if (exponentPos < text.size() && (text[exponentPos] == u'+' || text[exponentPos] == u'-')) {
        exponent.push_back(static_cast<char>(text[exponentPos++]));
    }
    bool sawExponentDigit = false;
    for (;; ++exponentPos) {
        exponentPos = skipFrom(exponentPos);
        if (exponentPos >= text.size() || !IsDigit(text[exponentPos])) break;
        sawExponentDigit = true;
        exponent.push_back(static_cast<char>(text[exponentPos]));
    }
    if (!sawExponentDigit) return pos;
    out += exponent;
    return exponentPos;
}

double ToDouble(const std::string& number) {
    // Built from ASCII digits, a full stop and 'e' only, so the C locale's strtod reads it
    // the same way everywhere; an exponent too large for a double gives infinity.
    return std::strtod(number.c_str(), nullptr);
}

bool IsBlank(char16_t ch) { return ch == u' '; }

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

double ReadRadix(std::u16string_view text, std::size_t pos, int radix) {
    double value = 0;
    for (; pos < text.size(); ++pos) {
        char16_t ch = text[pos];
        if (ch == u' ' || ch == u'\t' || ch == u'\n') continue;
        int digit;
        if (IsDigit(ch)) {
            digit = ch - u'0';
        } else if (ch >= u'a' && ch <= u'f') {
            digit = ch - u'a' + 10;
        } else if (ch >= u'A' && ch <= u'F') {
            digit = ch - u'A' + 10;
        } else {
            break;
        }
        if (digit >= radix) break;
        value = value * radix + digit;
    }
    return value;
}

}  // namespace

std::optional<double> NumericValue(std::u16string_view text) {
    text = TrimBlanks(text);
    std::string number;
    bool sawDigit = false;
    std::size_t end = ReadDecimal(text, 0, [](char16_t) { return false; }, number, sawDigit);
    if (!sawDigit || end != text.size()) return std::nullopt;
    return ToDouble(number);
}

bool IsNumeric(std::u16string_view text) { return NumericValue(text).has_value(); }

double LeadingNumber(std::u16string_view text) {
    auto skip = [](char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u'\n'; };
    std::size_t pos = 0;
    while (pos < text.size() && skip(text[pos])) ++pos;
    if (pos + 1 < text.size() && text[pos] == u'&') {
        char16_t kind = text[pos + 1];
        if (kind == u'H' || kind == u'h') return ReadRadix(text, pos + 2, 16);
        if (kind == u'O' || kind == u'o') return ReadRadix(text, pos + 2, 8);
    }
    std::string number;
    bool sawDigit = false;
    ReadDecimal(text, pos, skip, number, sawDigit);
    return sawDigit ? ToDouble(number) : 0.0;
}

std::int32_t RoundToInt32(double value) {
    // nearbyint rounds halves to even in the default rounding mode.
    double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
        throw OverflowError();  // also NaN, which fails both comparisons
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t CheckedMultiply(std::int32_t a, std::int32_t b) {
    std::int64_t product = static_cast<std::int64_t>(a) * b;
    if (product < std::numeric_limits<std::int32_t>::min() ||
        product > std::numeric_limits<std::int32_t>::max()) {
        throw OverflowError();
    }
    return static_cast<std::int32_t>(product);
}

}  // namespace typomancer
