// The window classes of the tests' target window, shared by the target and the probe.
#pragma once

namespace typomancer {

constexpr wchar_t kTargetWindowClass[] = L"TypomancerTestTarget";
// A hidden child that answers WM_GETTEXT with every character the target has received.
constexpr wchar_t kTargetRecordClass[] = L"TypomancerTestRecord";

}  // namespace typomancer
