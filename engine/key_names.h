// The key names that may stand in braces, with their virtual-key codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace typomancer {

class KeyNameTable {
public:
    // Fills both collections, anew, with every row of the table.
    void InitKeyNames();
    void RegisterKeyName(std::int32_t keyCode, std::string_view keyName, bool isExtended);

    // Both lookups ignore letter case and never fail: an unknown or empty name gives 0 and
    // false.
    std::uint16_t LookupKeyCode(std::u16string_view keyName) const;
    bool IsExtendedKey(std::u16string_view keyName) const;

    std::size_t size() const { return KeyCodes.size(); }

private:
    using Collection = std::unordered_map<std::string, std::int32_t>;

    // Finds the entry under the upper-case form of keyName, or nullptr.
    static const std::int32_t* Fetch(const Collection& collection, std::u16string_view keyName);

    Collection KeyCodes;
    Collection ExtendedKeys;
};

}  // namespace typomancer
