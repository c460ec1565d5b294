#include "timing_keyboard.h"

#include <windows.h>

#include <cstdio>

#include "unique_resource.h"

namespace typomancer {
namespace {

long long Now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

bool IsModifier(std::uint16_t virtualKey) {
    return virtualKey == VK_SHIFT || virtualKey == VK_CONTROL || virtualKey == VK_MENU;
}

}  // namespace

PlatformVersion TimingKeyboard::Version() {
    textStart_ = Now();
    return system_.Version();
}

std::uint32_t TimingKeyboard::Inject(const InputRecord* records, std::uint32_t count) {
    const long long before = Now();
    const std::uint32_t inserted = system_.Inject(records, count);
    const long long after = Now();

    // Characters as the target sees them: one per press that is not a modifier (a character
    // outside the Basic Multilingual Plane goes as two Unicode presses, as it arrives as two
    // WM_CHAR messages).
    std::uint32_t keys = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const bool unicode = (records[i].dwFlags & KEYEVENTF_UNICODE) != 0;
        if (!(records[i].dwFlags & KEYEVENTF_KEYUP) && (unicode || !IsModifier(records[i].wVk))) {
            ++keys;
        }
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    char line[256];
    const int length = std::snprintf(
        line, sizeof line,
        "text_start=%lld before_send=%lld after_send=%lld records=%u inserted=%u keys=%u "
        "frequency=%lld\n",
        textStart_, before, after, count, inserted, keys, frequency.QuadPart);

    // Opened per text and appended to, so the file can be read or removed between runs.
    HANDLE opened = CreateFileW(logPath_.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    UniqueHandle file(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    if (file && length > 0) {
        DWORD written = 0;
        WriteFile(file.get(), line, static_cast<DWORD>(length), &written, nullptr);
    }
    return inserted;
}

std::wstring TimingKeyboard::LogPathFromEnvironment() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"TYPOMANCER_TIMING_LOG", buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

}  // namespace typomancer
