// Conversions between the UTF-16 of scripts and the UTF-8 of files and terminals.
#pragma once

#include <string>
#include <string_view>

namespace typomancer {

// Malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace typomancer
