// The window classes of the tests' target window, shared by the target and the probe.
#pragma once

namespace typomancer {

constexpr wchar_t kTargetWindowClass[] = L"TypomancerTestTarget";
// A hidden child that answers WM_GETTEXT with every character the target has received.
constexpr wchar_t kTargetRecordClass[] = L"TypomancerTestRecord";

// Messages the record answers besides WM_GETTEXT, for the end-to-end benchmark: the
// QueryPerformanceCounter readings of the first and the last WM_CHAR (0 before any), and a
// reset that forgets the characters and the readings.
constexpr unsigned kTargetFirstCharTime = 0x8000 + 1;  // WM_APP + 1
constexpr unsigned kTargetLastCharTime = 0x8000 + 2;
constexpr unsigned kTargetReset = 0x8000 + 3;

}  // namespace typomancer
