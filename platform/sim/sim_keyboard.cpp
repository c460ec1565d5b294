#include "sim_keyboard.h"

#include <algorithm>
#include <array>

namespace typomancer {
namespace {

constexpr std::int16_t kShift = 0x100;
constexpr std::int16_t kCtrl = 0x200;

// Virtual keys of the punctuation keys of the US layout.
constexpr std::int16_t kOem1 = 0xBA, kOemPlus = 0xBB, kOemComma = 0xBC, kOemMinus = 0xBD,
                       kOemPeriod = 0xBE, kOem2 = 0xBF, kOem3 = 0xC0, kOem4 = 0xDB, kOem5 = 0xDC,
                       kOem6 = 0xDD, kOem7 = 0xDE;

// Scan codes (set 1) that MapVirtualKeyExA gives for the US layout.
struct ScanEntry {
    std::uint16_t vk;
    std::uint16_t scan;
};
constexpr ScanEntry kScanCodes[] = {
    {0x03, 0x46}, {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D},
    {0x12, 0x38}, {0x13, 0x45}, {0x14, 0x3A}, {0x1B, 0x01}, {0x20, 0x39}, {0x21, 0x49},
    {0x22, 0x51}, {0x23, 0x4F}, {0x24, 0x47}, {0x25, 0x4B}, {0x26, 0x48}, {0x27, 0x4D},
    {0x28, 0x50}, {0x2C, 0x54}, {0x2D, 0x52}, {0x2E, 0x53},
    {'0', 0x0B}, {'1', 0x02}, {'2', 0x03}, {'3', 0x04}, {'4', 0x05}, {'5', 0x06}, {'6', 0x07},
    {'7', 0x08}, {'8', 0x09}, {'9', 0x0A},
    {'A', 0x1E}, {'B', 0x30}, {'C', 0x2E}, {'D', 0x20}, {'E', 0x12}, {'F', 0x21}, {'G', 0x22},
    {'H', 0x23}, {'I', 0x17}, {'J', 0x24}, {'K', 0x25}, {'L', 0x26}, {'M', 0x32}, {'N', 0x31},
    {'O', 0x18}, {'P', 0x19}, {'Q', 0x10}, {'R', 0x13}, {'S', 0x1F}, {'T', 0x14}, {'U', 0x16},
    {'V', 0x2F}, {'W', 0x11}, {'X', 0x2D}, {'Y', 0x15}, {'Z', 0x2C},
    {0x60, 0x52}, {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C},
    {0x66, 0x4D}, {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49}, {0x6A, 0x37}, {0x6B, 0x4E},
    {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0x35},
    {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40},
    {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58},
    {0x7C, 0x64}, {0x7D, 0x65}, {0x7E, 0x66}, {0x7F, 0x67},
    {0x90, 0x45}, {0x91, 0x46}, {0xA0, 0x2A}, {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x1D},
    {0xA4, 0x38}, {0xA5, 0x38},
    {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33}, {0xBD, 0x0C}, {0xBE, 0x34}, {0xBF, 0x35},
    {0xC0, 0x29}, {0xDB, 0x1A}, {0xDC, 0x2B}, {0xDD, 0x1B}, {0xDE, 0x28}, {0xE2, 0x56},
};

// Code page 1252 bytes 0x80 to 0x9F, as UTF-16; 0 marks the five bytes the code page leaves
// undefined, which Windows maps to the C1 control of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

SimKeyboard::SimKeyboard() {
    std::fill(std::begin(keyScans_), std::end(keyScans_), static_cast<std::int16_t>(-1));
    for (int c = 'a'; c <= 'z'; ++c) keyScans_[c] = static_cast<std::int16_t>(c - 'a' + 'A');
    for (int c = 'A'; c <= 'Z'; ++c) keyScans_[c] = static_cast<std::int16_t>(kShift | c);
    for (int c = '0'; c <= '9'; ++c) keyScans_[c] = static_cast<std::int16_t>(c);
    const char shiftedDigits[] = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d) {
        keyScans_[static_cast<unsigned char>(shiftedDigits[d])] = static_cast<std::int16_t>(kShift | ('0' + d));
    }
    struct Pair {
        char plain, shifted;
        std::int16_t vk;
    };
    const Pair punctuation[] = {
        {';', ':', kOem1},  {'=', '+', kOemPlus}, {',', '<', kOemComma}, {'-', '_', kOemMinus},
        {'.', '>', kOemPeriod}, {'/', '?', kOem2}, {'`', '~', kOem3}, {'[', '{', kOem4},
        {'\\', '|', kOem5}, {']', '}', kOem6}, {'\'', '"', kOem7},
    };
    for (const Pair& p : punctuation) {
        keyScans_[static_cast<unsigned char>(p.plain)] = p.vk;
        keyScans_[static_cast<unsigned char>(p.shifted)] = static_cast<std::int16_t>(kShift | p.vk);
    }
    keyScans_[0x20] = 0x20;  // blank
    // Control characters: those of a key of their own, then Ctrl with a letter or punctuation.
    for (int c = 1; c <= 26; ++c) keyScans_[c] = static_cast<std::int16_t>(kCtrl | ('A' + c - 1));
    keyScans_[0x08] = 0x08;  // backspace
    keyScans_[0x09] = 0x09;  // tab
    keyScans_[0x0A] = static_cast<std::int16_t>(kCtrl | 0x0D);  // line feed: Ctrl+Enter
    keyScans_[0x0D] = 0x0D;  // carriage return
    keyScans_[0x1B] = 0x1B;
    keyScans_[0x1C] = static_cast<std::int16_t>(kCtrl | kOem5);
    keyScans_[0x1D] = static_cast<std::int16_t>(kCtrl | kOem6);
    keyScans_[0x1E] = static_cast<std::int16_t>(kCtrl | kShift | '6');
    keyScans_[0x1F] = static_cast<std::int16_t>(kCtrl | kShift | kOemMinus);
    keyScans_[0x00] = static_cast<std::int16_t>(kCtrl | kShift | '2');
    keyScans_[0x7F] = static_cast<std::int16_t>(kCtrl | 0x08);
}

std::int16_t SimKeyboard::ScanChar(std::uint8_t ansiCode) { return keyScans_[ansiCode]; }

std::uint32_t SimKeyboard::ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) {
    if (layout != kUsLayout || virtualKey > 0xFF) return 0;
    static const auto table = [] {
        std::array<std::uint16_t, 256> t{};
        for (const ScanEntry& entry : kScanCodes) t[entry.vk] = entry.scan;
        return t;
    }();
    return table[virtualKey];
}

std::int16_t SimKeyboard::KeyState(int virtualKey) {
    ++keyStateQueries;
    return virtualKey == 20 && capsLock ? 1 : 0;
}

AnsiChar SimKeyboard::ToAnsi(char16_t ch) {
    if (auto found = ansiOverrides_.find(ch); found != ansiOverrides_.end()) {
        return found->second;
    }
    AnsiChar ansi;
    ansi.length = 1;
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        ansi.bytes[0] = static_cast<std::uint8_t>(ch);
        return ansi;
    }
    for (int i = 0; i < 32; ++i) {
        char16_t mapped = kCp1252High[i] ? kCp1252High[i] : static_cast<char16_t>(0x80 + i);
        if (ch == mapped) {
            ansi.bytes[0] = static_cast<std::uint8_t>(0x80 + i);
            return ansi;
        }
    }
    ansi.bytes[0] = '?';
    ansi.exact = false;
    return ansi;
}

std::uint32_t SimKeyboard::Inject(const InputRecord* records, std::uint32_t count) {
    std::uint32_t inserted = insertLimit ? std::min(*insertLimit, count) : count;
    injections.emplace_back(records, records + count);
    return inserted;
}

void SimKeyboard::SendKeysStatement(std::u16string_view text, bool wait) {
    statements.push_back({std::u16string(text), wait});
}

}  // namespace typomancer
