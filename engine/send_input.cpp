#include "send_input.h"

#include <algorithm>
#include <limits>

#include "numbers.h"
#include "run_error.h"

namespace typomancer {
namespace {

constexpr std::uint8_t kShiftStateShift = 1;
constexpr std::uint8_t kShiftStateCtrlAlt = 2 | 4;
constexpr std::int16_t kNoKey = -1;

bool IsAsciiLetter(char16_t ch) { return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z'); }

bool IsModifierPrefix(char16_t ch) { return ch == u'+' || ch == u'^' || ch == u'%'; }

std::uint16_t PrefixKey(char16_t prefix) {
    return prefix == u'+' ? kVkShift : prefix == u'^' ? kVkControl : kVkAlt;
}

std::int32_t PrefixBit(char16_t prefix) {
    return prefix == u'+' ? kHeldShift : prefix == u'^' ? kHeldCtrl : kHeldAlt;
}

bool IsWindows95(const PlatformVersion& version) {
    return version.platformId == 1 && version.majorVersion == 4 && version.minorVersion < 10;
}

}  // namespace

std::uint8_t HiByte(std::int16_t value) {
    return static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8);
}

std::uint8_t LoByte(std::int16_t value) {
    return static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) & 0xFF);
}

void MSendInput::SendKeyText(std::u16string_view text, bool wait) {
    if (IsWindows95(api_.Version())) {
        api_.SendKeysStatement(text, wait);
        return;
    }
    if (!KeyCodes) {
        KeyCodes.emplace();
        KeyCodes->InitKeyNames();
    }
    KeyboardLayout = api_.CurrentLayout();
    answers_.Forget();

    // Empty, but with the memory of the last batch (see DiscardBatch).
    InputEvents.clear();
    InputEvents.reserve(kInitialUpperBound + 1);
    UpperBound = kInitialUpperBound;

    EventCount = 0;
    ParsePos = 0;
    HeldModifiers = 0;
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw OverflowError();  // positions are 32-bit
    }
    ParseText.assign(text);
    closeParen_ = FindCache{};
    closeBrace_ = FindCache{};

    const auto length = static_cast<std::int32_t>(ParseText.size());
    while (ParsePos < length) {
        ParseNextItem();
        GrowIfNearlyFull();
    }

    if (EventCount > 0) {
        Inject();
    }
    DiscardBatch();
}

// Fresh memory for every batch cost more than building it: the pages of a large batch were
// faulted in anew for every text. The memory is kept for the next text unless it is far larger
// than this one needed, so a single huge text does not pin its batch for the life of the process.
void MSendInput::DiscardBatch() {
    constexpr std::size_t kAlwaysKept = 64 * 1024;
    const std::size_t capacity = InputEvents.capacity();
    if (capacity > kAlwaysKept && capacity / 4 > InputEvents.size()) {
        InputEvents = std::vector<InputRecord>();
    } else {
        InputEvents.clear();
    }
    UpperBound = -1;
}

// ---------------------------------------------------------------------------------------------
// Parser

char16_t MSendInput::NextChar() {
    ++ParsePos;
    if (ParsePos > static_cast<std::int32_t>(ParseText.size())) {
        // Only the operand of a modifier prefix at the very end of the text gets here.
        throw SubscriptOutOfRangeError();
    }
    return ParseText[static_cast<std::size_t>(ParsePos - 1)];
}

void MSendInput::ParseNextItem() {
    char16_t ch = NextChar();
    if (IsModifierPrefix(ch)) {
        ParseModifier(ch);
    } else {
        ParseOperand(ch);
    }
}

void MSendInput::ParseOperand(char16_t first) {
    if (first == u'(') {
        ParseGroup();
    } else if (first == u'{') {
        ParseBraceCode();
    } else {
        AddCharacter(first);
    }
}

// A run of prefixes such as "+^%a" nests: each prefix holds its key over the next item. The run
// is walked in a loop with an explicit list of open prefixes rather than by recursion, so that a
// text of many thousand prefixes in a row cannot exhaust the stack; the records and the bits of
// HeldModifiers come out exactly as the nested form gives them.
void MSendInput::ParseModifier(char16_t prefix) {
    std::u16string open;
    char16_t ch = prefix;
    do {
        WriteRecord(PrefixKey(ch), 0, 0);
        HeldModifiers |= PrefixBit(ch);
        open.push_back(ch);
        ch = NextChar();
    } while (IsModifierPrefix(ch));

    ParseOperand(ch);

    while (!open.empty()) {
        char16_t closing = open.back();
        open.pop_back();
        WriteRecord(PrefixKey(closing), 0, kFlagKeyUp);
        HeldModifiers &= ~PrefixBit(closing);
    }
}

void MSendInput::ParseGroup() {
    // ParsePos is on the "(", so the 0-based index ParsePos is the character after it.
    const auto afterOpen = static_cast<std::size_t>(ParsePos);
    std::size_t close = FindFrom(u')', afterOpen, closeParen_);
    if (close == std::u16string::npos || close == afterOpen) {
        return;  // an unclosed "(" or an empty group: only the "(" is consumed
    }
    for (std::size_t i = afterOpen; i < close; ++i) {
        AddCharacter(ParseText[i]);
    }
    ParsePos = static_cast<std::int32_t>(close + 1);
}

void MSendInput::ParseBraceCode() {
    // The character right after the "{" is content even when it is a "}".
    const auto afterOpen = static_cast<std::size_t>(ParsePos);
    std::size_t close = FindFrom(u'}', afterOpen + 1, closeBrace_);
    if (close == std::u16string::npos) {
        return;  // an unclosed "{" is dropped
    }
    std::u16string_view content(ParseText.data() + afterOpen, close - afterOpen);

    std::size_t firstBlank = content.find(u' ');
    std::u16string_view name = content.substr(0, firstBlank);
    std::int32_t count = 0;
    if (firstBlank != std::u16string_view::npos) {
        std::u16string_view rest = content.substr(firstBlank + 1);
        count = RoundToInt32(LeadingNumber(rest.substr(0, rest.find(u' '))));
    }
    if (count < 1) count = 1;

    if (std::uint16_t keyCode = KeyCodes->LookupKeyCode(name); keyCode != 0) {
        bool isExtended = KeyCodes->IsExtendedKey(name);
        for (std::int32_t i = 0; i < count; ++i) {
            AddKeyPress(keyCode, false, isExtended, false);
        }
    } else {
        // Not a key name: the code stands for its first character, taken through the layout
        // without regard to Caps Lock.
        char16_t first = content.front();
        std::optional<std::uint8_t> ansi = AnsiByte(first);
        std::int16_t keyScan = ansi ? ScanChar(*ansi) : kNoKey;
        for (std::int32_t i = 0; i < count; ++i) {
            if (keyScan == kNoKey) {
                AddUnicodeChar(first);
            } else {
                PressAnsiKey(keyScan, false);
            }
        }
    }
    ParsePos = static_cast<std::int32_t>(close + 1);
}

void MSendInput::AddCharacter(char16_t ch) {
    if (ch >= 256) {
        AddUnicodeChar(ch);
        return;
    }
    std::int16_t keyScan;
    if (ch == u'~') {
        keyScan = kVkEnter;
    } else {
        std::optional<std::uint8_t> ansi = AnsiByte(ch);
        keyScan = ansi ? ScanChar(*ansi) : kNoKey;
    }
    if (keyScan == kNoKey) {
        AddUnicodeChar(ch);
        return;
    }
    bool capsLock = IsCapsLockOn();
    PressAnsiKey(keyScan, capsLock && IsAsciiLetter(ch));
}

void MSendInput::PressAnsiKey(std::int16_t keyScan, bool invertShift) {
    std::uint8_t shiftState = HiByte(keyScan);
    bool needsShift = (shiftState & kShiftStateShift) != 0;
    if (invertShift) needsShift = !needsShift;
    bool needsCtrlAlt = (shiftState & kShiftStateCtrlAlt) != 0;
    AddKeyPress(LoByte(keyScan), needsShift, false, needsCtrlAlt);
}

std::optional<std::uint8_t> MSendInput::AnsiByte(char16_t ch) {
    AnsiChar ansi = ToAnsi(ch);
    // A character the code page lacks would come back as a substitute such as "?", and typing
    // that would put a different character in the target than the script holds. It goes as a
    // Unicode event instead, like a character that no key produces.
    if (!ansi.exact || ansi.length == 0) {
        return std::nullopt;
    }
    if (ansi.length != 1) {
        throw OverflowError();  // a double-byte character does not fit the byte VkKeyScanA takes
    }
    return ansi.bytes[0];
}

bool MSendInput::IsCapsLockOn() {
    if (!answers_.capsLockOn) answers_.capsLockOn = (api_.KeyState(kVkCapsLock) & 1) != 0;
    return *answers_.capsLockOn;
}

AnsiChar MSendInput::ToAnsi(char16_t ch) {
    if (ch >= 256) return api_.ToAnsi(ch);
    return answers_.ansi.Get(ch, [&] { return api_.ToAnsi(ch); });
}

std::int16_t MSendInput::ScanChar(std::uint8_t ansiCode) {
    return answers_.scanChar.Get(ansiCode, [&] { return api_.ScanChar(ansiCode); });
}

std::uint32_t MSendInput::ScanCodeOf(std::uint16_t keyCode) {
    if (keyCode >= 256) return api_.ScanCodeOf(keyCode, KeyboardLayout);
    return answers_.scanCode.Get(keyCode,
                                 [&] { return api_.ScanCodeOf(keyCode, KeyboardLayout); });
}

std::size_t MSendInput::FindFrom(char16_t target, std::size_t from, FindCache& cache) const {
    if (cache.searchedFrom != std::u16string::npos && cache.searchedFrom <= from &&
        (cache.found == std::u16string::npos || cache.found >= from)) {
        return cache.found;
    }
    cache.searchedFrom = from;
    cache.found = ParseText.find(target, from);
    return cache.found;
}

// ---------------------------------------------------------------------------------------------
// Emitters and the batch

void MSendInput::AddKeyPress(std::uint16_t keyCode, bool needsShift, bool isExtended,
                             bool needsCtrlAlt) {
    // Inside a "+" prefix Shift is already down.
    bool wrapShift = needsShift && (HeldModifiers & kHeldShift) == 0;
    if (wrapShift) AddModifierEvent(kVkShift, true);
    if (needsCtrlAlt) {
        AddModifierEvent(kVkControl, true);
        AddModifierEvent(kVkAlt, true);
    }
    WriteRecord(keyCode, 0, isExtended ? kFlagExtendedKey : 0);
    auto scan = static_cast<std::uint16_t>(ScanCodeOf(keyCode));
    WriteRecord(keyCode, scan, kFlagKeyUp);
    if (needsCtrlAlt) {
        // Released in the order they went down.
        AddModifierEvent(kVkControl, false);
        AddModifierEvent(kVkAlt, false);
    }
    if (wrapShift) AddModifierEvent(kVkShift, false);
}

void MSendInput::AddUnicodeChar(std::uint16_t charCode) {
    WriteRecord(0, charCode, kFlagUnicode);
    WriteRecord(0, charCode, kFlagUnicode | kFlagKeyUp);
}

void MSendInput::AddModifierEvent(std::uint16_t keyCode, bool keyDown) {
    WriteRecord(keyCode, 0, keyDown ? 0 : kFlagKeyUp);
}

void MSendInput::WriteRecord(std::uint16_t wVk, std::uint16_t wScan, std::uint32_t dwFlags) {
    if (EventCount > UpperBound) {
        throw SubscriptOutOfRangeError();
    }
    // Filled in place: a record assembled on the stack and copied in costs a store-forwarding
    // stall per record, which was most of the time of a plain text. The type is set here rather
    // than in a pass over the whole batch before injection: nothing reads a record in between,
    // and that pass swept a large batch through memory a second time.
    InputRecord& record = InputEvents.emplace_back();
    record.type = kInputKeyboard;
    record.wVk = wVk;
    record.wScan = wScan;
    record.dwFlags = dwFlags;
    ++EventCount;
}

void MSendInput::GrowIfNearlyFull() {
    if (EventCount >= UpperBound - kGrowthMargin) {
        if (UpperBound > std::numeric_limits<std::int32_t>::max() - kGrowthStep) {
            throw OverflowError();
        }
        UpperBound += kGrowthStep;
    }
}

void MSendInput::Inject() {
    const auto count = static_cast<std::uint32_t>(EventCount);
    std::uint32_t inserted = api_.Inject(InputEvents.data(), count);
    if (inserted < count) {
        if (inserted > 0) {
            ReleaseKeysLeftDown(inserted);
        }
        DiscardBatch();
        throw RunError(kErrKeysRefused,
                       "The system refused the keys: it accepted " + std::to_string(inserted) +
                           " of " + std::to_string(count) +
                           " key events. The window in front may belong to a program that runs "
                           "with higher rights than Typomancer.");
    }
}

// The system stopped part-way through the batch. Whatever the accepted part pressed and did
// not release would stay down, so release it, innermost first.
void MSendInput::ReleaseKeysLeftDown(std::uint32_t inserted) {
    std::vector<InputRecord> down;
    auto sameKey = [](const InputRecord& a, const InputRecord& b) {
        bool unicode = (a.dwFlags & kFlagUnicode) != 0;
        if (unicode != ((b.dwFlags & kFlagUnicode) != 0)) return false;
        return unicode ? a.wScan == b.wScan : a.wVk == b.wVk;
    };
    for (std::uint32_t i = 0; i < inserted; ++i) {
        const InputRecord& record = InputEvents[i];
        auto held = std::find_if(down.begin(), down.end(),
                                 [&](const InputRecord& d) { return sameKey(d, record); });
        if (record.dwFlags & kFlagKeyUp) {
            if (held != down.end()) down.erase(held);
        } else if (held == down.end()) {
            down.push_back(record);
        }
    }
    std::vector<InputRecord> releases;
    for (auto it = down.rbegin(); it != down.rend(); ++it) {
        InputRecord up = *it;
        up.dwFlags = (up.dwFlags & kFlagUnicode) | kFlagKeyUp;
        if (!(up.dwFlags & kFlagUnicode)) {
            bool modifier = up.wVk == kVkShift || up.wVk == kVkControl || up.wVk == kVkAlt;
            up.wScan = modifier ? 0 : static_cast<std::uint16_t>(ScanCodeOf(up.wVk));
        }
        releases.push_back(up);
    }
    if (!releases.empty()) {
        api_.Inject(releases.data(), static_cast<std::uint32_t>(releases.size()));
    }
}

}  // namespace typomancer
