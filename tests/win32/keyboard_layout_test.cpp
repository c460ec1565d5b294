// The real keyboard layout, as user32 answers for it, against Win32Keyboard and against the
// simulated US layout that every other test builds on.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "key_names.h"
#include "sim_keyboard.h"
#include "win32_keyboard.h"

namespace typomancer {
namespace {

HKL CurrentLayout() { return GetKeyboardLayout(0); }

TEST(RealLayout, IsTheUsLayoutTheOtherTestsAssume) {
    EXPECT_EQ(VkKeyScanA('!'), 0x0131);
    EXPECT_EQ(VkKeyScanA('a'), 0x0041);
    EXPECT_EQ(VkKeyScanA('A'), 0x0141);
    EXPECT_EQ(MapVirtualKeyExA('A', MAPVK_VK_TO_VSC, CurrentLayout()), 30u);
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0) << "Caps Lock is on; the letter tests assume off";
}

TEST(RealLayout, InputRecordsHaveTheSizeOfThisBuild) {
    EXPECT_EQ(sizeof(INPUT), sizeof(void*) == 8 ? 40u : 28u);
    EXPECT_EQ(offsetof(INPUT, ki), sizeof(void*) == 8 ? 8u : 4u);
}

TEST(Win32KeyboardAnswers, AreThoseOfTheDirectCalls) {
    Win32Keyboard keyboard;
    const HKL layout = CurrentLayout();
    EXPECT_EQ(keyboard.CurrentLayout(), reinterpret_cast<KeyboardLayoutHandle>(layout));
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(keyboard.ScanChar(static_cast<std::uint8_t>(code)),
                  VkKeyScanA(static_cast<CHAR>(code)));
        EXPECT_EQ(keyboard.ScanCodeOf(static_cast<std::uint32_t>(code),
                                      reinterpret_cast<KeyboardLayoutHandle>(layout)),
                  MapVirtualKeyExA(static_cast<UINT>(code), MAPVK_VK_TO_VSC, layout));
    }
    EXPECT_EQ(keyboard.KeyState(VK_CAPITAL), GetKeyState(VK_CAPITAL));
    EXPECT_EQ(keyboard.KeyState(VK_NUMLOCK), GetKeyState(VK_NUMLOCK));

    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    EXPECT_EQ(info.dwOSVersionInfoSize, 148u);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExA(&info));
#pragma GCC diagnostic pop
    PlatformVersion version = keyboard.Version();
    EXPECT_EQ(version.platformId, info.dwPlatformId);
    EXPECT_EQ(version.majorVersion, info.dwMajorVersion);
    EXPECT_EQ(version.minorVersion, info.dwMinorVersion);
    EXPECT_EQ(version.platformId, 2u);
}

TEST(Win32KeyboardAnswers, ConvertToTheAnsiCodePage) {
    Win32Keyboard keyboard;
    ASSERT_EQ(GetACP(), 1252u) << "the code page the other tests assume";
    struct Case {
        char16_t ch;
        std::uint8_t byte;
    };
    for (Case c : {Case{u'a', 'a'}, Case{u'~', '~'}, Case{u'\u00E9', 0xE9}, Case{u'\u00FF', 0xFF},
                   Case{u'\u20AC', 0x80}, Case{u'\u2014', 0x97}}) {
        SCOPED_TRACE(static_cast<int>(c.ch));
        AnsiChar ansi = keyboard.ToAnsi(c.ch);
        EXPECT_EQ(ansi.length, 1);
        EXPECT_EQ(ansi.bytes[0], c.byte);
        EXPECT_TRUE(ansi.exact);
    }
    // Characters the code page lacks are reported as such, also those that a best-fit
    // conversion would have turned into a look-alike ("A" for "Ā").
    for (char16_t ch : {u'\u0100', u'\u03A9', u'\u4E2D', u'\u2200'}) {
        SCOPED_TRACE(static_cast<int>(ch));
        EXPECT_FALSE(keyboard.ToAnsi(ch).exact);
    }
}

// Where Wine's US layout under Xvfb answers differently from Windows' US layout. The simulated
// layout follows Windows in each case: it stands for the system the program is written for,
// and the differences come from the X keymap that Wine reads its layout from.
struct KnownDifference {
    int key;        // the ANSI code, or the virtual key
    int wine;       // what Wine answers
    const char* why;
};

// VkKeyScanA.
const KnownDifference kCharacterDifferences[] = {
    // Windows: Shift+9 and Shift+0. Xvfb's keymap also has keys <I187> and <I188> that type
    // the parentheses alone; they have no Windows virtual key, and Wine then answers "no key".
    // The engine sends such a character as a Unicode event, so it is still typed.
    {'(', -1, "Xvfb's dedicated parenthesis key"},
    {')', -1, "Xvfb's dedicated parenthesis key"},
    // Windows: Shift+comma (0x01BC). Wine picks the extra key of the 102-key keyboard (<LSGT>,
    // VK_OEM_102), which types "<" without Shift; a US keyboard has no such key.
    {'<', 0x00E2, "the 102nd key of Xvfb's pc105 keymap"},
};

// MapVirtualKeyExA with MAPVK_VK_TO_VSC.
const KnownDifference kScanCodeDifferences[] = {
    // Windows answers 0x54, the code of Alt+SysRq, for Print Screen; Wine answers 0x37, the
    // key's own make code without its E0 prefix.
    {0x2C, 0x37, "Print Screen's make code"},
    // Windows' US layout has no Help key and answers 0; Xvfb's keymap has one, <HELP>.
    {0x2F, 0x38, "Xvfb's Help key"},
    // Windows: 0x64 to 0x67. Xvfb's keymap has no F13 to F16, so Wine has no scan code.
    {0x7C, 0, "no F13 in Xvfb's keymap"},
    {0x7D, 0, "no F14 in Xvfb's keymap"},
    {0x7E, 0, "no F15 in Xvfb's keymap"},
    {0x7F, 0, "no F16 in Xvfb's keymap"},
};

std::string Hex(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", value & 0xFFFF);
    return buffer;
}

// Compares one answer; a difference is accepted only where the list above explains it.
template <std::size_t N>
void Compare(const std::string& what, int key, int sim, int real,
             const KnownDifference (&known)[N], std::vector<std::string>& report) {
    if (sim == real) return;
    std::string line = what + ": sim " + Hex(sim) + ", real " + Hex(real);
    for (const KnownDifference& difference : known) {
        if (difference.key == key && difference.wine == real) {
            report.push_back(line + " (known: " + difference.why + ")");
            return;
        }
    }
    ADD_FAILURE() << line;
    report.push_back(line + " (NEW)");
}

TEST(SimulatedLayout, MatchesTheRealOneForPrintableAsciiAndTheNamedKeys) {
    SimKeyboard sim;
    const HKL layout = CurrentLayout();
    std::vector<std::string> report;

    for (int code = 0x20; code <= 0x7E; ++code) {
        Compare("VkKeyScanA('" + std::string(1, static_cast<char>(code)) + "')", code,
                sim.ScanChar(static_cast<std::uint8_t>(code)), VkKeyScanA(static_cast<CHAR>(code)),
                kCharacterDifferences, report);
    }

    std::set<std::uint32_t> keys;
    KeyNameTable table;
    table.InitKeyNames();
    for (const char* name : {"BACKSPACE", "BREAK", "CAPSLOCK", "DELETE", "DOWN", "END", "ENTER",
                             "ESC", "HELP", "HOME", "INSERT", "LEFT", "NUMLOCK", "PGDN", "PGUP",
                             "PAUSE", "PRINT", "PRTSC", "RIGHT", "SCROLLLOCK", "SELECT", "TAB",
                             "UP"}) {
        std::u16string name16(name, name + std::char_traits<char>::length(name));
        keys.insert(table.LookupKeyCode(name16));
    }
    for (std::uint32_t vk = 0x70; vk <= 0x7F; ++vk) keys.insert(vk);  // F1 to F16
    for (std::uint32_t vk = 'A'; vk <= 'Z'; ++vk) keys.insert(vk);
    for (std::uint32_t vk = '0'; vk <= '9'; ++vk) keys.insert(vk);
    // The keys that typing punctuation and modifiers presses.
    for (std::uint32_t vk : {0x10u, 0x11u, 0x12u, 0x20u, 0xBAu, 0xBBu, 0xBCu, 0xBDu, 0xBEu, 0xBFu,
                             0xC0u, 0xDBu, 0xDCu, 0xDDu, 0xDEu}) {
        keys.insert(vk);
    }
    EXPECT_FALSE(keys.count(0));
    for (std::uint32_t vk : keys) {
        Compare("MapVirtualKeyExA(" + Hex(static_cast<int>(vk)) + ")", static_cast<int>(vk),
                static_cast<int>(sim.ScanCodeOf(vk, SimKeyboard::kUsLayout)),
                static_cast<int>(MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, layout)),
                kScanCodeDifferences, report);
    }

    for (const std::string& line : report) std::printf("%s\n", line.c_str());
}

}  // namespace
}  // namespace typomancer
