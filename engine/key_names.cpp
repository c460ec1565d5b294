#include "key_names.h"

namespace typomancer {
namespace {

// Longer than any name in the table; a longer brace name cannot match, so it is not copied.
constexpr std::size_t kLongestKeyName = 16;

}  // namespace

void KeyNameTable::InitKeyNames() {
    KeyCodes.clear();
    ExtendedKeys.clear();

    RegisterKeyName(8, "BACKSPACE", false);
    RegisterKeyName(8, "BS", false);
    RegisterKeyName(8, "BKSP", false);
    RegisterKeyName(19, "BREAK", true);
    RegisterKeyName(20, "CAPSLOCK", false);
    RegisterKeyName(46, "DELETE", true);
    RegisterKeyName(46, "DEL", true);
    RegisterKeyName(40, "DOWN", true);
    RegisterKeyName(35, "END", true);
    RegisterKeyName(13, "ENTER", false);
    RegisterKeyName(27, "ESC", false);
    RegisterKeyName(47, "HELP", false);
    RegisterKeyName(36, "HOME", true);
    RegisterKeyName(45, "INS", true);
    RegisterKeyName(45, "INSERT", true);
    RegisterKeyName(37, "LEFT", true);
    RegisterKeyName(144, "NUMLOCK", true);
    RegisterKeyName(34, "PGDN", true);
    RegisterKeyName(33, "PGUP", true);
    RegisterKeyName(19, "PAUSE", false);
    RegisterKeyName(42, "PRINT", true);
    RegisterKeyName(44, "PRTSC", true);
    RegisterKeyName(44, "PRTSCN", true);
    RegisterKeyName(44, "PRINTSCRN", true);
    RegisterKeyName(44, "PRINTSCREEN", true);
    RegisterKeyName(39, "RIGHT", true);
    RegisterKeyName(145, "SCROLLLOCK", false);
    RegisterKeyName(41, "SELECT", false);
    RegisterKeyName(9, "TAB", false);
    RegisterKeyName(38, "UP", true);
    for (int n = 1; n <= 16; ++n) {
        RegisterKeyName(111 + n, "F" + std::to_string(n), false);
    }
}

void KeyNameTable::RegisterKeyName(std::int32_t keyCode, std::string_view keyName, bool isExtended) {
    KeyCodes.emplace(std::string(keyName), keyCode);
    if (isExtended) {
        ExtendedKeys.emplace(std::string(keyName), keyCode);
    }
}

const std::int32_t* KeyNameTable::Fetch(const Collection& collection, std::u16string_view keyName) {
    if (keyName.empty() || keyName.size() > kLongestKeyName) {
        return nullptr;
    }
    std::string upper;
    upper.reserve(keyName.size());
    for (char16_t ch : keyName) {
        if (ch >= u'a' && ch <= u'z') {
            ch = static_cast<char16_t>(ch - u'a' + u'A');
        } else if (ch > 0x7F) {
            return nullptr;  // every name in the table is plain ASCII
        }
        upper.push_back(static_cast<char>(ch));
    }
    auto found = collection.find(upper);
    return found == collection.end() ? nullptr : &found->second;
}

std::uint16_t KeyNameTable::LookupKeyCode(std::u16string_view keyName) const {
    const std::int32_t* code = Fetch(KeyCodes, keyName);
    return code ? static_cast<std::uint16_t>(*code) : 0;
}

bool KeyNameTable::IsExtendedKey(std::u16string_view keyName) const {
    const std::int32_t* code = Fetch(ExtendedKeys, keyName);
    return code && *code != 0;
}

}  // namespace typomancer
