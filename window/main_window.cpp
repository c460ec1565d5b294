#include "main_window.h"

#include <commctrl.h>

#include <new>
#include <string>

#include "control_ids.h"
#include "layout.h"
#include "pictures.h"
#include "run_error.h"
#include "runner.h"
#include "send_input.h"
#include "utf.h"
#include "tracked_keyboard.h"
#include "win32_pump.h"

namespace typomancer {
namespace {

constexpr wchar_t kIdleCaption[] = L"Typomancer";
constexpr std::u16string_view kReportTitle = u"Typomancer";
constexpr double kStartupPauseMs = 500.0;
// Start-up gives the editor this long to become ready for input before its own half-second
// pause, so that the editor's window opens behind ours, not on top of it.
constexpr std::uint64_t kEditorReadyTimeoutMs = 5000;
constexpr std::uint32_t kPollMs = 20;


constexpr DWORD kMainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = 0;

// Number used when the focus cannot be moved into the script box.
constexpr std::int32_t kErrFocusRefused = 5;

// Wine answers SetForegroundWindow with success while the X window manager may keep the focus
// on the editor that has just opened.
bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The calls of newer systems, looked up by name so the program still starts without them.
template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int DpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (window && getDpiForWindow) {
        if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

RECT WindowRectForClient(int dpi) {
    RECT rect{0, 0, ClientWidth(dpi), ClientHeight(dpi)};
    using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustFn>("AdjustWindowRectExForDpi");
    if (!adjustForDpi ||
        !adjustForDpi(&rect, kMainStyle, FALSE, kMainExStyle, static_cast<UINT>(dpi))) {
        AdjustWindowRectEx(&rect, kMainStyle, FALSE, kMainExStyle);
    }
    return rect;
}

// The system's dialog font (the message font of NONCLIENTMETRICS) at `dpi`.
LOGFONTW DialogLogFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = User32Function<ForDpiFn>("SystemParametersInfoForDpi");
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                         static_cast<UINT>(dpi))) {
        return metrics.lfMessageFont;
    }
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // These metrics are for the system's DPI, which may not be the window's.
        LOGFONTW font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
        return font;
    }
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, dpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
    return font;
}

bool IsButton(int id) {
    return id == kIdCmdRun || (id >= kIdCmdFirst && id < kIdCmdFirst + kCmdCount);
}

bool IsLabelOnPicture(int id) { return id == kIdLabel3 || id == kIdLabel5 || id == kIdLabel6; }

std::u16string ControlText(HWND control) {
    const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(control, WM_GETTEXT, buffer.size(),
                                        reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return std::u16string(buffer.begin(), buffer.end());
}

}  // namespace

FSendInput::FSendInput(HINSTANCE instance, MSendInput& engine, TrackedKeyboard& keyboard,
                       Win32EventPump& pump, TickSource& clock)
    : instance_(instance), engine_(engine), keyboard_(keyboard), pump_(pump), clock_(clock) {}

FSendInput::~FSendInput() = default;

bool FSendInput::RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = &FSendInput::WindowProc;
    main.hInstance = instance;
    main.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON),
                                               GetSystemMetrics(SM_CYICON), LR_SHARED));
    main.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = kMainWindowClass;

    WNDCLASSEXW picture{};
    picture.cbSize = sizeof picture;
    picture.lpfnWndProc = &FSendInput::PictureProc;
    picture.hInstance = instance;
    picture.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    picture.lpszClassName = kPictureClass;

    // A second window in the same process (the tests make several) finds them registered.
    auto registered = [](const WNDCLASSEXW& windowClass) {
        return RegisterClassExW(&windowClass) != 0 ||
               GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    };
    return registered(main) && registered(picture);
}

bool FSendInput::Create() {
    INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);
    if (!RegisterClasses(instance_)) return false;

    dpi_ = DpiOf(nullptr);
    RECT frame = WindowRectForClient(dpi_);
    HWND window = CreateWindowExW(kMainExStyle, kMainWindowClass, kIdleCaption, kMainStyle,
                                  CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance_, this);
    if (!window) return false;

    // The window may live at another DPI than the screen reported, and the frame may differ
    // from what the calculation said: the client area is what must come out exact.
    dpi_ = DpiOf(window);
    RECT client{};
    GetClientRect(window, &client);
    RECT outer{};
    GetWindowRect(window, &outer);
    const int wantWidth = ClientWidth(dpi_);
    const int wantHeight = ClientHeight(dpi_);
    if (client.right != wantWidth || client.bottom != wantHeight) {
        SetWindowPos(window, nullptr, 0, 0,
                     (outer.right - outer.left) + wantWidth - client.right,
                     (outer.bottom - outer.top) + wantHeight - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    LOGFONTW logFont = DialogLogFont(dpi_);
    font_.reset(CreateFontIndirectW(&logFont));
    logFont.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectW(&logFont));
    groundBrush_.reset(CreateSolidBrush(kPictureGround));
    if (!CreateControls()) return false;

    pump_.SetDialogWindow(window);
    return true;
}

bool FSendInput::CreateControls() {
    HWND window = window_.get();
    for (const ControlPlace& place : Controls()) {
        const PixelRect rect = ToPixels(place.rect, dpi_);
        const wchar_t* className = L"BUTTON";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (place.kind) {
        case ControlKind::Picture:
            className = kPictureClass;
            break;
        case ControlKind::Label:
            className = L"STATIC";
            style |= SS_LEFT | SS_NOPREFIX;
            break;
        case ControlKind::ScriptBox:
            className = L"EDIT";
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN |
                     WS_VSCROLL | WS_HSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::SecondsBox:
            className = L"EDIT";
            style |= ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Button:
            style |= BS_PUSHBUTTON;
            break;
        }
        if (place.tabStop) style |= WS_TABSTOP;

        HWND control = CreateWindowExW(
            exStyle, className, reinterpret_cast<const wchar_t*>(place.text), style, rect.left,
            rect.top, rect.Width(), rect.Height(), window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), instance_, nullptr);
        if (!control) return false;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

        if (place.kind == ControlKind::Picture) {
            SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            // Below everything, so the buttons and labels standing on it show in front.
            SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        } else if (place.id == kIdTxtScript) {
            txtScript_ = control;
            // Without this an edit control takes no more than about 32,000 characters from the
            // keyboard or a paste, cutting long scripts short.
            SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        } else if (place.id == kIdTxtWait) {
            txtWait_ = control;
        } else if (place.id == kIdCmdRun) {
            cmdRun_ = control;
        } else if (place.id >= kIdCmdFirst && place.id < kIdCmdFirst + kCmdCount) {
            cmd_[static_cast<std::size_t>(place.id - kIdCmdFirst)] = control;
        }
    }
    return true;
}

LRESULT CALLBACK FSendInput::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
    FSendInput* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<FSendInput*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
    } else {
        self = reinterpret_cast<FSendInput*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        // The system destroys the window itself; the owner must not destroy it again.
        self->window_.release();
        self->txtScript_ = self->txtWait_ = self->cmdRun_ = self->savedFocus_ = nullptr;
        self->cmd_.fill(nullptr);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK FSendInput::PictureProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    auto* owner = reinterpret_cast<FSendInput*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_PAINT:
        if (owner) {
            owner->PaintPicture(window);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void FSendInput::PaintPicture(HWND picture) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(picture, &paint);
    if (!dc) return;
    RECT client{};
    GetClientRect(picture, &client);
    const PictureStyle style{dpi_, font_.get(), boldFont_.get()};
    if (GetDlgCtrlID(picture) == kIdPicture1) {
        DrawKeyTablePicture(dc, client, style);
    } else {
        DrawHelpPicture(dc, client, style);
    }
    EndPaint(picture, &paint);
}

LRESULT FSendInput::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_.get();
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_ACTIVATE:
        OnActivate(wParam);
        return 0;
    case WM_NEXTDLGCTL:
        // The script box asks for this when Tab is pressed in it, as it would in a dialog.
        OnNextControl(wParam, lParam);
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
        // A run paused inside this window's handlers sees this and stops quietly.
        closing_ = true;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        closing_ = true;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void FSendInput::OnCommand(int id, int code, HWND control) {
    if (id == IDOK) {
        // Enter, as in a dialog, clicks the focused button.
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == window_.get()) {
            const int focusId = GetDlgCtrlID(focus);
            if (IsButton(focusId)) OnCommand(focusId, BN_CLICKED, focus);
        }
        return;
    }
    if (code != BN_CLICKED || !control) return;
    if (id == kIdCmdRun) {
        cmdRun_Click();
    } else if (id >= kIdCmdFirst && id < kIdCmdFirst + kCmdCount) {
        cmd_Click(id - kIdCmdFirst);
    }
}

void FSendInput::OnNextControl(WPARAM wParam, LPARAM lParam) {
    HWND window = window_.get();
    HWND target = nullptr;
    if (LOWORD(lParam) != 0) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        target = GetNextDlgTabItem(window, GetFocus(), wParam != 0);
    }
    if (target && IsChild(window, target)) SetFocus(target);
}

void FSendInput::OnActivate(WPARAM wParam) {
    // As a dialog does: the control that had the focus gets it back when the window returns.
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_.get(), focus)) savedFocus_ = focus;
        return;
    }
    if (HIWORD(wParam) != 0) return;  // minimised: no control to focus
    HWND target = savedFocus_ && IsWindow(savedFocus_) ? savedFocus_ : cmdRun_;
    if (target) SetFocus(target);
}

LRESULT FSendInput::OnControlColour(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (!IsLabelOnPicture(id) || !groundBrush_) {
        return DefWindowProcW(window_.get(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    }
    SetTextColor(dc, id == kIdLabel3 ? kLabel3Text : kPictureText);
    SetBkColor(dc, kPictureGround);
    return reinterpret_cast<LRESULT>(groundBrush_.get());
}

void FSendInput::ReportError(std::int32_t number, const std::string& description) {
    try {
        std::u16string text = Utf8ToUtf16(std::to_string(number));
        text.push_back(u' ');
        text.append(Utf8ToUtf16(description));
        ShowMessage(text, kReportTitle);
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

void FSendInput::cmd_Click(int index) {
    try {
        if (!txtScript_ || !txtWait_) return;
        const std::u16string script = ControlText(txtScript_);
        const PaletteEdit edit = PaletteClick(index, script, ControlText(txtWait_));
        ReplaceScript(edit.script, script);
        if (edit.focusScript) {
            SetFocus(txtScript_);
            if (GetFocus() != txtScript_) {
                throw RunError(kErrFocusRefused,
                               "The keyboard focus could not be moved into the script box");
            }
            // The next key the user types follows the modifier just added.
            const auto end = static_cast<WPARAM>(edit.script.size());
            SendMessageW(txtScript_, EM_SETSEL, end, static_cast<LPARAM>(end));
            SendMessageW(txtScript_, EM_SCROLLCARET, 0, 0);
        }
    } catch (const RunError& error) {
        ReportError(error.Number(), error.Description());
    } catch (const std::bad_alloc&) {
        ReportError(kErrOutOfMemory, "Out of memory");
    } catch (...) {
        ReportError(kErrInternal, "Internal error");
    }
    ForwardQuit();
}

void FSendInput::cmdRun_Click() {
    typomancer::cmdRun_Click(*this, engine_);
    ForwardQuit();
}

void FSendInput::ReplaceScript(const std::u16string& script, const std::u16string& previous) {
    const std::wstring wide = ToWide(script);
    const bool taken =
        SendMessageW(txtScript_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str())) != 0;
    const LRESULT length = SendMessageW(txtScript_, WM_GETTEXTLENGTH, 0, 0);
    if (taken && length == static_cast<LRESULT>(wide.size())) return;
    // The box holds the old text or the whole new one, never a part.
    const std::wstring old = ToWide(previous);
    SendMessageW(txtScript_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(old.c_str()));
    throw RunError(kErrOutOfMemory, "Out of memory: the script box could not hold the script");
}

void FSendInput::Form_Load(int showCommand) {
    HWND window = window_.get();
    try {
        ReplaceScript(SampleScript(), std::u16string());
    } catch (const RunError& error) {
        ReportError(error.Number(), error.Description());
        ShowWindow(window, showCommand);
        return;
    } catch (const std::bad_alloc&) {
        ReportError(kErrOutOfMemory, "Out of memory");
        ShowWindow(window, showCommand);
        return;
    } catch (...) {
        ReportError(kErrInternal, "Internal error");
        ShowWindow(window, showCommand);
        return;
    }

    // From here on nothing is reported: without an editor the window simply comes back alone.
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    StartNotepad();
    ProcessPendingEvents();
    Pause(kStartupPauseMs);
    if (closing_) {
        ForwardQuit();
        return;
    }
    BringToFront();
    if (cmdRun_) {
        savedFocus_ = cmdRun_;
        SetFocus(cmdRun_);
    }
    ForwardQuit();
}

void FSendInput::StartNotepad() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // The bare name: the system looks for it where it looks for any command without a path.
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    wchar_t commandLine[] = L"notepad";
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);

    // The editor is ready once it waits for input with its window in front. Our own events
    // are handled meanwhile, so the window does not freeze while the editor opens.
    auto editorReady = [&] {
        if (WaitForSingleObject(processHandle.get(), 0) == WAIT_OBJECT_0) return true;  // gone
        if (WaitForInputIdle(processHandle.get(), 0) == WAIT_TIMEOUT) return false;
        DWORD foregroundProcess = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &foregroundProcess);
        return foregroundProcess == process.dwProcessId;
    };
    const std::uint64_t start = clock_.NowMilliseconds();
    while (!closing_ && !pump_.QuitRequested() && !editorReady() &&
           clock_.NowMilliseconds() - start < kEditorReadyTimeoutMs) {
        pump_.WaitForEvents(kPollMs);
        pump_.ProcessPendingEvents();
    }
}

void FSendInput::BringToFront() {
    HWND window = window_.get();
    if (!window) return;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (RunningUnderWine()) {
        // A window shown anew is one the window manager gives the focus to. (Minimising and
        // restoring races with the window manager and may leave the window minimised.)
        ShowWindow(window, SW_HIDE);
        ShowWindow(window, SW_SHOW);
    }
    if (SetForegroundWindow(window) && GetForegroundWindow() == window) return;

    // The editor started a moment ago holds the foreground; sharing its input state for a
    // moment lets this window take the foreground back, as the start-up promises.
    HWND foreground = GetForegroundWindow();
    const DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const DWORD ownThread = GetCurrentThreadId();
    if (foregroundThread != 0 && foregroundThread != ownThread &&
        AttachThreadInput(ownThread, foregroundThread, TRUE)) {
        BringWindowToTop(window);
        SetForegroundWindow(window);
        AttachThreadInput(ownThread, foregroundThread, FALSE);
    }
}

void FSendInput::ForwardQuit() {
    if (pump_.QuitRequested()) PostQuitMessage(pump_.QuitCode());
}

int FSendInput::RunMessageLoop() {
    if (pump_.QuitRequested()) return pump_.QuitCode();
    MSG message{};
    for (;;) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<int>(message.wParam);
        if (result == -1) return 1;
        HWND window = window_.get();
        if (window && IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// RunnerHost.

void FSendInput::SetCaption(std::u16string_view caption) {
    if (HWND window = window_.get()) SetWindowTextW(window, ToWide(caption).c_str());
}

void FSendInput::Minimise() {
    if (HWND window = window_.get()) ShowWindow(window, SW_MINIMIZE);
}

void FSendInput::MoveToBottom() {
    if (HWND window = window_.get()) {
        SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void FSendInput::LetTargetTakeItsInput() {
    HWND foreground = GetForegroundWindow();
    DWORD processId = 0;
    GetWindowThreadProcessId(foreground, &processId);
    if (processId == 0 || processId == GetCurrentProcessId()) return;
    // Windows tells when the target has taken in its input; Wine answers "idle" at once, so the
    // keys' own pace bounds the wait as well.
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
    auto busy = [&] {
        if (clock_.NowMilliseconds() < keyboard_.KeysSettledAt()) return true;
        return process && WaitForInputIdle(process.get(), 0) == WAIT_TIMEOUT;
    };
    const std::uint64_t start = clock_.NowMilliseconds();
    while (busy() && GetForegroundWindow() == foreground && !closing_ &&
           clock_.NowMilliseconds() - start < kSettleLongestMs) {
        pump_.WaitForEvents(kPollMs);
        pump_.ProcessPendingEvents();
    }
}

void FSendInput::TakeFocus() {
    HWND window = window_.get();
    if (!window) return;
    // Keys typed a moment ago may still wait in the target's queue; taking the foreground now
    // would hand them to this window instead.
    LetTargetTakeItsInput();
    if (IsIconic(window)) {
        SetFocus(window);
    } else {
        SetFocus(savedFocus_ && IsWindow(savedFocus_) ? savedFocus_ : cmdRun_);
    }
}

void FSendInput::ProcessPendingEvents() { pump_.ProcessPendingEvents(); }

void FSendInput::Pause(double milliseconds) { typomancer::Pause(milliseconds, clock_, pump_); }

std::u16string FSendInput::ScriptText() {
    return txtScript_ ? ControlText(txtScript_) : std::u16string();
}

void FSendInput::ShowMessage(std::u16string_view text, std::u16string_view title) {
    LetTargetTakeItsInput();
    HWND window = window_.get();
    UINT style = MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND;
    // A box owned by a minimised window is hidden with it, and would leave the user with a
    // disabled window and nothing to answer. Unowned and modal to the whole thread, it shows
    // and still keeps the window's handlers from running underneath it.
    if (window && IsIconic(window)) {
        window = nullptr;
        style |= MB_TASKMODAL;
    }
    MessageBoxW(window, ToWide(text).c_str(), ToWide(title).c_str(), style);
}

void FSendInput::SendKeysStatement(std::u16string_view text, bool wait) {
    keyboard_.SendKeysStatement(text, wait);
}

bool FSendInput::ForegroundIsOwn() {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(foreground, &processId);
    return processId == GetCurrentProcessId();
}

}  // namespace typomancer
