// typomancer-target: a window that takes the keyboard focus and records every character it
// receives, without drawing anything, so a long script arrives as fast as the system can
// deliver it. The probe reads the record through the hidden child window, which answers
// WM_GETTEXT with it, and tells when the first and the last character came.
//
// Usage: typomancer-target [LEFT TOP WIDTH HEIGHT]

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "target_ids.h"

namespace typomancer {
namespace {

std::wstring received;
long long firstCharTime = 0;
long long lastCharTime = 0;

long long Now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

LRESULT CALLBACK RecordProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(received.size());
    case WM_GETTEXT: {
        if (wParam == 0) return 0;
        const size_t count = received.size() < wParam - 1 ? received.size() : wParam - 1;
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        received.copy(buffer, count);
        buffer[count] = L'\0';
        return static_cast<LRESULT>(count);
    }
    case kTargetFirstCharTime:
        return static_cast<LRESULT>(firstCharTime);
    case kTargetLastCharTime:
        return static_cast<LRESULT>(lastCharTime);
    case kTargetReset:
        received.clear();
        firstCharTime = lastCharTime = 0;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR:
        lastCharTime = Now();
        if (received.empty()) firstCharTime = lastCharTime;
        received += static_cast<wchar_t>(wParam);
        return 0;
    case WM_ACTIVATE:
        // The hidden child never takes the focus: the characters come to this window.
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int ArgumentOr(int argc, wchar_t** argv, int index, int fallback) {
    return index < argc ? static_cast<int>(std::wcstol(argv[index], nullptr, 10)) : fallback;
}

int Run(HINSTANCE instance, int argc, wchar_t** argv) {
    WNDCLASSW targetClass{};
    targetClass.lpfnWndProc = TargetProc;
    targetClass.hInstance = instance;
    targetClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    targetClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    targetClass.lpszClassName = kTargetWindowClass;
    WNDCLASSW recordClass{};
    recordClass.lpfnWndProc = RecordProc;
    recordClass.hInstance = instance;
    recordClass.lpszClassName = kTargetRecordClass;
    if (!RegisterClassW(&targetClass) || !RegisterClassW(&recordClass)) return 1;

    HWND window = CreateWindowExW(
        0, kTargetWindowClass, L"Typomancer test target", WS_OVERLAPPEDWINDOW,
        ArgumentOr(argc, argv, 1, CW_USEDEFAULT), ArgumentOr(argc, argv, 2, CW_USEDEFAULT),
        ArgumentOr(argc, argv, 3, 320), ArgumentOr(argc, argv, 4, 200), nullptr, nullptr,
        instance, nullptr);
    if (window == nullptr) return 1;
    if (!CreateWindowExW(0, kTargetRecordClass, L"", WS_CHILD, 0, 0, 0, 0, window, nullptr,
                         instance, nullptr)) {
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace
}  // namespace typomancer

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Coordinates on the command line are the display's own pixels, at any DPI setting.
    SetProcessDPIAware();
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const int status = typomancer::Run(instance, argv ? argc : 0, argv);
    if (argv) LocalFree(argv);
    return status;
}
