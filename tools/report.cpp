#include "report.h"

#include <cstdio>

#include "utf.h"

namespace typomancer {

std::string VirtualKeyName(std::uint16_t vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, static_cast<char>(vk));
    if (vk >= 0x70 && vk <= 0x87) return "F" + std::to_string(vk - 0x6F);
    if (vk >= 0x60 && vk <= 0x69) return "Numpad" + std::to_string(vk - 0x60);
    switch (vk) {
        case 0x03: return "Cancel";
        case 0x08: return "Backspace";
        case 0x09: return "Tab";
        case 0x0D: return "Enter";
        case 0x10: return "Shift";
        case 0x11: return "Ctrl";
        case 0x12: return "Alt";
        case 0x13: return "Pause";
        case 0x14: return "CapsLock";
        case 0x1B: return "Esc";
        case 0x20: return "Space";
        case 0x21: return "PageUp";
        case 0x22: return "PageDown";
        case 0x23: return "End";
        case 0x24: return "Home";
        case 0x25: return "Left";
        case 0x26: return "Up";
        case 0x27: return "Right";
        case 0x28: return "Down";
        case 0x29: return "Select";
        case 0x2A: return "Print";
        case 0x2C: return "PrintScreen";
        case 0x2D: return "Insert";
        case 0x2E: return "Delete";
        case 0x2F: return "Help";
        case 0x90: return "NumLock";
        case 0x91: return "ScrollLock";
        case 0xBA: return "OEM_1";
        case 0xBB: return "OEM_PLUS";
        case 0xBC: return "OEM_COMMA";
        case 0xBD: return "OEM_MINUS";
        case 0xBE: return "OEM_PERIOD";
        case 0xBF: return "OEM_2";
        case 0xC0: return "OEM_3";
        case 0xDB: return "OEM_4";
        case 0xDC: return "OEM_5";
        case 0xDD: return "OEM_6";
        case 0xDE: return "OEM_7";
        default: break;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "VK_0x%02X", vk);
    return buffer;
}

std::string FormatRecordRaw(const InputRecord& record) {
    return std::to_string(record.wVk) + " " + std::to_string(record.wScan) + " " +
           std::to_string(record.dwFlags);
}

std::string FormatRecordReadable(const InputRecord& record) {
    const char* direction = (record.dwFlags & kFlagKeyUp) ? "up" : "down";
    if (record.dwFlags & kFlagUnicode) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", record.wScan);
        std::string shown;
        // Control characters and lone surrogates would garble the terminal.
        if (record.wScan >= 0x20 && record.wScan != 0x7F && (record.wScan < 0xD800 || record.wScan > 0xDFFF)) {
            shown = " '" + Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(record.wScan))) + "'";
        }
        return std::string(code) + shown + " " + direction + " (unicode, flags " +
               std::to_string(record.dwFlags) + ")";
    }
    std::string text = VirtualKeyName(record.wVk) + " " + direction + " (vk " +
                       std::to_string(record.wVk) + ", scan " + std::to_string(record.wScan) +
                       ", flags " + std::to_string(record.dwFlags);
    if (record.dwFlags & kFlagExtendedKey) text += ", extended";
    return text + ")";
}

std::int16_t ReportingKeyboard::KeyState(int virtualKey) {
    if (virtualKey == kVkCapsLock) return capsLock_ ? 1 : 0;
    return base_.KeyState(virtualKey);
}

std::uint32_t ReportingKeyboard::Inject(const InputRecord* records, std::uint32_t count) {
    out_ << "send " << count << '\n';
    for (std::uint32_t i = 0; i < count; ++i) {
        out_ << (raw_ ? FormatRecordRaw(records[i]) : FormatRecordReadable(records[i])) << '\n';
    }
    return count;
}

void ReportingKeyboard::SendKeysStatement(std::u16string_view text, bool wait) {
    out_ << "statement " << Utf16ToUtf8(text) << ' ' << (wait ? 1 : 0) << '\n';
}

}  // namespace typomancer
