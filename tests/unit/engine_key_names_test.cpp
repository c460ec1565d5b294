// The key names of the brace notation.
#include <gtest/gtest.h>

#include <string>

#include "key_names.h"
#include "utf.h"

namespace typomancer {
namespace {

class KeyNames : public ::testing::Test {
protected:
    void SetUp() override { table_.InitKeyNames(); }
    KeyNameTable table_;
};

TEST_F(KeyNames, EveryRowHasItsCodeAndExtendedMark) {
    struct Row {
        const char* name;
        std::uint16_t code;
        bool extended;
    };
    const Row rows[] = {
        {"BACKSPACE", 8, false}, {"BS", 8, false},        {"BKSP", 8, false},
        {"BREAK", 19, true},     {"CAPSLOCK", 20, false}, {"DELETE", 46, true},
        {"DEL", 46, true},       {"DOWN", 40, true},      {"END", 35, true},
        {"ENTER", 13, false},    {"ESC", 27, false},      {"HELP", 47, false},
        {"HOME", 36, true},      {"INS", 45, true},       {"INSERT", 45, true},
        {"LEFT", 37, true},      {"NUMLOCK", 144, true},  {"PGDN", 34, true},
        {"PGUP", 33, true},      {"PAUSE", 19, false},    {"PRINT", 42, true},
        {"PRTSC", 44, true},     {"PRTSCN", 44, true},    {"PRINTSCRN", 44, true},
        {"PRINTSCREEN", 44, true}, {"RIGHT", 39, true},   {"SCROLLLOCK", 145, false},
        {"SELECT", 41, false},   {"TAB", 9, false},       {"UP", 38, true},
    };
    int extendedRows = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::u16string name = Utf8ToUtf16(row.name);
        EXPECT_EQ(table_.LookupKeyCode(name), row.code);
        EXPECT_EQ(table_.IsExtendedKey(name), row.extended);
        if (row.extended) ++extendedRows;
    }
    for (int n = 1; n <= 16; ++n) {
        std::u16string name = Utf8ToUtf16("F" + std::to_string(n));
        EXPECT_EQ(table_.LookupKeyCode(name), 111 + n) << "F" << n;
        EXPECT_FALSE(table_.IsExtendedKey(name)) << "F" << n;
    }
    EXPECT_EQ(extendedRows, 19);
    EXPECT_EQ(table_.size(), 46u);
}

TEST_F(KeyNames, LookupsIgnoreLetterCase) {
    for (std::u16string name : {u"pgdn", u"PgDn", u"pGdN"}) {
        EXPECT_EQ(table_.LookupKeyCode(name), 34);
        EXPECT_TRUE(table_.IsExtendedKey(name));
    }
    EXPECT_EQ(table_.LookupKeyCode(u"f16"), 127);
    EXPECT_EQ(table_.LookupKeyCode(u"printScreen"), 44);
}

TEST_F(KeyNames, NamesOutsideTheTableGiveZeroAndFalse) {
    for (std::u16string name :
         {u"", u"F17", u"F0", u"A", u"a", u"1", u"+", u"SHIFT", u"CTRL", u"ALT", u"WIN",
          u"NUMPAD0", u" TAB", u"TAB ", u"ENTER2", u"PRINTSCREENPRINTSCREEN", u"\u00C9SC",
          u"T\u0100B"}) {
        SCOPED_TRACE(Utf16ToUtf8(name));
        EXPECT_EQ(table_.LookupKeyCode(name), 0);
        EXPECT_FALSE(table_.IsExtendedKey(name));
    }
}

TEST_F(KeyNames, ANameWithAnEmbeddedNulIsNotTheNameBeforeIt) {
    EXPECT_EQ(table_.LookupKeyCode(std::u16string(u"TAB\0X", 5)), 0);
    EXPECT_EQ(table_.LookupKeyCode(std::u16string(u"TAB\0", 4)), 0);
}

TEST_F(KeyNames, BuildingAgainGivesTheSameTable) {
    table_.InitKeyNames();
    EXPECT_EQ(table_.size(), 46u);
    EXPECT_EQ(table_.LookupKeyCode(u"ENTER"), 13);
}

TEST(KeyNamesAbsent, AnEmptyTableAnswersZero) {
    KeyNameTable table;
    EXPECT_EQ(table.LookupKeyCode(u"ENTER"), 0);
    EXPECT_FALSE(table.IsExtendedKey(u"LEFT"));
}

}  // namespace
}  // namespace typomancer
