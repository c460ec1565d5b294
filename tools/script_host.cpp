#include "script_host.h"

#include <cmath>

#include "utf.h"

namespace typomancer {

void ReportingHost::SetCaption(std::u16string_view caption) {
    out_ << "caption " << EscapeLineBreaks(caption) << '\n';
}

void ReportingHost::Minimise() { out_ << "minimise\n"; }

void ReportingHost::MoveToBottom() { out_ << "bottom\n"; }

void ReportingHost::TakeFocus() { out_ << "focus\n"; }

void ReportingHost::Pause(double milliseconds) {
    // The runner asks only whole 32-bit numbers; anything else is shown rounded.
    if (std::isfinite(milliseconds) && std::fabs(milliseconds) < 9.0e18) {
        out_ << "pause " << std::llround(milliseconds) << '\n';
    } else {
        out_ << "pause " << milliseconds << '\n';
    }
}

void ReportingHost::ShowMessage(std::u16string_view text, std::u16string_view title) {
    out_ << "message " << EscapeLineBreaks(title) << ": " << EscapeLineBreaks(text) << '\n';
}

void ReportingHost::SendKeysStatement(std::u16string_view text, bool wait) {
    keyboard_.SendKeysStatement(text, wait);
}

std::u16string ScriptFromUtf8(std::string_view bytes) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    return Utf8ToUtf16(bytes);
}

std::string EscapeLineBreaks(std::u16string_view text) {
    std::string utf8 = Utf16ToUtf8(text);
    std::string escaped;
    escaped.reserve(utf8.size());
    for (char ch : utf8) {
        if (ch == '\r') {
            escaped += "\\r";
        } else if (ch == '\n') {
            escaped += "\\n";
        } else {
            escaped.push_back(ch);
        }
    }
    return escaped;
}

}  // namespace typomancer
