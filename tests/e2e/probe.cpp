// typomancer-probe: reads (and, for the tests' set-up, writes) the windows of a running
// Typomancer, its Notepad and the tests' target window, one query per run. Every answer is one
// JSON object on standard output, written as bytes so that the reader's file holds it exactly.
// Exit status: 0 answered, 1 the query could not be answered (the JSON says why), 2 bad usage.

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "control_ids.h"
#include "target_ids.h"

namespace typomancer {
namespace {

// ---- JSON output ---------------------------------------------------------------------------

// Every code unit outside printable ASCII is written as \uXXXX, so texts (surrogate pairs and
// lone surrogates included) reach the reader unchanged whatever its encoding.
std::string Quote(const std::wstring& text) {
    std::string out = "\"";
    for (wchar_t ch : text) {
        if (ch == L'"' || ch == L'\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch >= 0x20 && ch < 0x7f) {
            out += static_cast<char>(ch);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(ch));
            out += buffer;
        }
    }
    out += '"';
    return out;
}

class JsonObject {
public:
    JsonObject& Add(const char* key, const std::wstring& value) { return Raw(key, Quote(value)); }
    JsonObject& Add(const char* key, const wchar_t* value) { return Add(key, std::wstring(value)); }
    JsonObject& Add(const char* key, long long value) { return Raw(key, std::to_string(value)); }
    JsonObject& Add(const char* key, int value) { return Add(key, static_cast<long long>(value)); }
    JsonObject& Add(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
    JsonObject& Add(const char* key, const JsonObject& value) { return Raw(key, value.Text()); }
    JsonObject& Raw(const char* key, const std::string& json) {
        if (!body_.empty()) body_ += ", ";
        body_ += '"';
        body_ += key;
        body_ += "\": ";
        body_ += json;
        return *this;
    }
    std::string Text() const { return "{" + body_ + "}"; }

private:
    std::string body_;
};

std::string JsonArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i != 0) out += ", ";
        out += items[i];
    }
    return out + "]";
}

int Answer(const JsonObject& object, int status = 0) {
    const std::string text = object.Text() + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return status;
}

int Fail(const std::wstring& why) { return Answer(JsonObject().Add("error", why), 1); }

// ---- reading windows -----------------------------------------------------------------------

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The caption as the system keeps it: no message is sent, so a busy window cannot stall us.
std::wstring CaptionOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

constexpr UINT kMessageTimeoutMs = 10000;

// The text a control reports through WM_GETTEXT, which the system carries across processes.
bool ControlTextOf(HWND window, std::wstring& text) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
        return false;
    }
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &copied)) {
        return false;
    }
    buffer.resize(static_cast<size_t>(copied));
    text = std::move(buffer);
    return true;
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

HWND MainWindow() { return FindWindowW(kMainWindowClass, nullptr); }

// Controls may sit inside the picture areas, so the search goes through all descendants.
HWND ControlOf(HWND main, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        main,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(child) == s->id) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

JsonObject RectJson(const RECT& r) {
    return JsonObject()
        .Add("left", static_cast<int>(r.left))
        .Add("top", static_cast<int>(r.top))
        .Add("right", static_cast<int>(r.right))
        .Add("bottom", static_cast<int>(r.bottom));
}

RECT ScreenRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT ClientScreenRectOf(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    MapWindowPoints(window, nullptr, corners, 2);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

JsonObject WindowJson(HWND window) {
    JsonObject o;
    o.Add("found", window != nullptr);
    if (window == nullptr) return o;
    return o.Add("class", ClassOf(window))
        .Add("caption", CaptionOf(window))
        .Add("process", static_cast<long long>(ProcessOf(window)))
        .Add("visible", IsWindowVisible(window) != FALSE)
        .Add("minimised", IsIconic(window) != FALSE)
        .Add("rect", RectJson(ScreenRectOf(window)));
}

// The dialogs of a process: its message boxes.
std::vector<HWND> DialogsOf(DWORD process) {
    struct Search {
        DWORD process;
        std::vector<HWND> found;
    } search{process, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (IsWindowVisible(window) && ProcessOf(window) == s->process &&
                ClassOf(window) == L"#32770") {
                s->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

// A message box: its title, its texts and its buttons with the points a click would take.
JsonObject DialogJson(HWND dialog) {
    std::vector<std::string> texts;
    std::vector<std::string> buttons;
    for (HWND child : ChildrenOf(dialog)) {
        std::wstring text;
        if (!ControlTextOf(child, text) || text.empty()) continue;
        const std::wstring kind = ClassOf(child);
        if (_wcsicmp(kind.c_str(), L"Static") == 0) texts.push_back(Quote(text));
        if (_wcsicmp(kind.c_str(), L"Button") == 0) {
            const RECT r = ScreenRectOf(child);
            buttons.push_back(JsonObject()
                                  .Add("text", text)
                                  .Add("x", static_cast<int>((r.left + r.right) / 2))
                                  .Add("y", static_cast<int>((r.top + r.bottom) / 2))
                                  .Text());
        }
    }
    return JsonObject()
        .Add("title", CaptionOf(dialog))
        .Raw("texts", JsonArray(texts))
        .Raw("buttons", JsonArray(buttons));
}

bool TextOfEditor(HWND& editor, std::wstring& text) {
    HWND notepad = FindWindowW(L"Notepad", nullptr);
    editor = notepad ? FindWindowExW(notepad, nullptr, L"Edit", nullptr) : nullptr;
    return editor != nullptr && ControlTextOf(editor, text);
}

HWND TargetWindow() { return FindWindowW(kTargetWindowClass, nullptr); }

// The target's hidden child, which answers for what the target received.
HWND TargetRecord() {
    HWND target = TargetWindow();
    return target ? FindWindowExW(target, nullptr, kTargetRecordClass, nullptr) : nullptr;
}

bool TextOfTarget(std::wstring& text) {
    HWND record = TargetRecord();
    return record != nullptr && ControlTextOf(record, text);
}

// ---- commands ------------------------------------------------------------------------------

// Everything a test waits for, in one run: each Wine start costs a few tenths of a second.
int State() {
    JsonObject out;
    HWND main = MainWindow();
    JsonObject mainJson = WindowJson(main);
    if (main != nullptr) {
        mainJson.Add("client", RectJson(ClientScreenRectOf(main)));
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        JsonObject focus;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) &&
            info.hwndFocus != nullptr) {
            focus.Add("id", GetDlgCtrlID(info.hwndFocus))
                .Add("class", ClassOf(info.hwndFocus))
                .Add("in_main", info.hwndFocus == main || IsChild(main, info.hwndFocus) != FALSE);
        }
        mainJson.Add("focus", focus);
        // Whether a click on "Run Script" would reach it, or another window lies over it.
        if (HWND run = ControlOf(main, kIdCmdRun)) {
            const RECT r = ScreenRectOf(run);
            mainJson.Add("run_uncovered",
                         WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}) ==
                             run);
        }
        std::vector<std::string> dialogs;
        for (HWND dialog : DialogsOf(ProcessOf(main))) dialogs.push_back(DialogJson(dialog).Text());
        mainJson.Raw("dialogs", JsonArray(dialogs));
    }
    out.Add("main", mainJson);

    HWND front = GetForegroundWindow();
    JsonObject frontJson = WindowJson(front);
    if (front != nullptr && main != nullptr) {
        frontJson.Add("own", ProcessOf(front) == ProcessOf(main));
    }
    out.Add("foreground", frontJson);

    JsonObject editorJson;
    HWND editor = nullptr;
    std::wstring text;
    const bool hasEditor = TextOfEditor(editor, text);
    editorJson.Add("found", hasEditor);
    if (hasEditor) {
        editorJson.Add("visible", IsWindowVisible(GetParent(editor)) != FALSE).Add("text", text);
    }
    out.Add("notepad", editorJson);

    JsonObject targetJson;
    const bool hasTarget = TextOfTarget(text);
    targetJson.Add("found", hasTarget);
    if (hasTarget) {
        targetJson.Add("length", static_cast<long long>(text.size()))
            .Add("client", RectJson(ClientScreenRectOf(TargetWindow())));
    }
    out.Add("target", targetJson);

    // A key left down by a run would show here; the mouse buttons are the tests' own.
    std::vector<std::string> held;
    for (int key = 8; key < 256; ++key) {
        if (GetAsyncKeyState(key) & 0x8000) held.push_back(std::to_string(key));
    }
    out.Raw("keys_down", JsonArray(held));

    HDC screen = GetDC(nullptr);
    out.Add("dpi", GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return Answer(out);
}

int Controls() {
    HWND main = MainWindow();
    if (main == nullptr) return Fail(L"no Typomancer window");
    std::vector<std::string> items;
    for (HWND child : ChildrenOf(main)) {
        std::wstring text;
        ControlTextOf(child, text);
        items.push_back(JsonObject()
                            .Add("id", GetDlgCtrlID(child))
                            .Add("parent", GetDlgCtrlID(GetParent(child)))
                            .Add("class", ClassOf(child))
                            .Add("text", text)
                            .Add("visible", IsWindowVisible(child) != FALSE)
                            .Add("rect", RectJson(ScreenRectOf(child)))
                            .Text());
    }
    return Answer(JsonObject()
                      .Add("main", WindowJson(main))
                      .Add("client", RectJson(ClientScreenRectOf(main)))
                      .Raw("controls", JsonArray(items)));
}

int ControlText(int id) {
    HWND main = MainWindow();
    if (main == nullptr) return Fail(L"no Typomancer window");
    HWND control = ControlOf(main, id);
    std::wstring text;
    if (control == nullptr) return Fail(L"no control with that id");
    if (!ControlTextOf(control, text)) return Fail(L"the control did not answer");
    return Answer(JsonObject().Add("text", text));
}

bool ReadUtf8File(const wchar_t* path, std::wstring& text) {
    FILE* file = _wfopen(path, L"rb");
    if (file == nullptr) return false;
    std::string bytes;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    if (bytes.empty()) {
        text.clear();
        return true;
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return false;
    text.assign(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
    return true;
}

// Puts a text into a control as a paste would, then answers with what the control now holds,
// so the caller sees at once whether anything was cut short.
int SetControlText(int id, const wchar_t* path) {
    HWND main = MainWindow();
    if (main == nullptr) return Fail(L"no Typomancer window");
    HWND control = ControlOf(main, id);
    if (control == nullptr) return Fail(L"no control with that id");
    std::wstring text;
    if (!ReadUtf8File(path, text)) return Fail(L"cannot read the file as UTF-8");
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result)) {
        return Fail(L"the control did not answer");
    }
    std::wstring now;
    ControlTextOf(control, now);
    return Answer(JsonObject().Add("accepted", result != 0).Add("length",
                                                                 static_cast<long long>(now.size())));
}

int EditorText() {
    HWND editor = nullptr;
    std::wstring text;
    if (!TextOfEditor(editor, text)) return Fail(L"no Notepad");
    return Answer(JsonObject().Add("text", text));
}

int TargetText() {
    std::wstring text;
    if (!TextOfTarget(text)) return Fail(L"no target window");
    return Answer(JsonObject().Add("text", text));
}

bool AskTarget(HWND record, UINT message, DWORD_PTR& answer) {
    return SendMessageTimeoutW(record, message, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                               &answer) != 0;
}

// When the target received its first and last character, on the performance counter, which
// under Wine is one clock for every process; with the counter now, for comparison with other
// clocks.
int TargetTimes(bool complete = true) {
    HWND record = TargetRecord();
    if (record == nullptr) return Fail(L"no target window");
    DWORD_PTR first = 0;
    DWORD_PTR last = 0;
    DWORD_PTR length = 0;
    if (!AskTarget(record, kTargetFirstCharTime, first) ||
        !AskTarget(record, kTargetLastCharTime, last) ||
        !AskTarget(record, WM_GETTEXTLENGTH, length)) {
        return Fail(L"the target did not answer");
    }
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return Answer(JsonObject()
                      .Add("first", static_cast<long long>(first))
                      .Add("last", static_cast<long long>(last))
                      .Add("length", static_cast<long long>(length))
                      .Add("now", static_cast<long long>(now.QuadPart))
                      .Add("frequency", static_cast<long long>(frequency.QuadPart))
                      .Add("complete", complete));
}

// Waits in one process until the target holds `length` characters, then answers as
// target-times. Starting a Wine process costs a few tenths of a second of processor time, so
// a benchmark that started a probe every quarter second would slow the very typing it times
// on a machine of two cores. Gives up when the count has not grown for `stallMs` once
// characters came (some were lost), or after `timeoutMs`.
int TargetWait(DWORD length, DWORD timeoutMs, DWORD stallMs) {
    HWND record = TargetRecord();
    if (record == nullptr) return Fail(L"no target window");
    std::fputs("watching\n", stderr);
    std::fflush(stderr);
    const ULONGLONG start = GetTickCount64();
    ULONGLONG grew = start;
    DWORD_PTR seen = 0;
    for (;;) {
        DWORD_PTR now = 0;
        if (!AskTarget(record, WM_GETTEXTLENGTH, now)) return Fail(L"the target did not answer");
        const ULONGLONG tick = GetTickCount64();
        if (now != seen) {
            seen = now;
            grew = tick;
        }
        if (now >= length) return TargetTimes(true);
        if ((seen > 0 && tick - grew > stallMs) || tick - start > timeoutMs) {
            return TargetTimes(false);
        }
        Sleep(50);
    }
}

// Forgets what the target received, so the next text can be timed into the same window.
int TargetReset() {
    HWND record = TargetRecord();
    DWORD_PTR ignored = 0;
    if (record == nullptr || !AskTarget(record, kTargetReset, ignored)) {
        return Fail(L"no target window");
    }
    return Answer(JsonObject().Add("reset", true));
}

// Where a click on the control would land, and whether the control is what lies there.
int Point(int id) {
    HWND main = MainWindow();
    if (main == nullptr) return Fail(L"no Typomancer window");
    HWND control = ControlOf(main, id);
    if (control == nullptr) return Fail(L"no control with that id");
    const RECT r = ScreenRectOf(control);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND hit = WindowFromPoint(centre);
    return Answer(JsonObject()
                      .Add("x", static_cast<int>(centre.x))
                      .Add("y", static_cast<int>(centre.y))
                      .Add("rect", RectJson(r))
                      .Add("hits", hit == control)
                      .Add("hit_class", hit ? ClassOf(hit) : std::wstring())
                      .Add("hit_id", hit ? GetDlgCtrlID(hit) : 0));
}

// Records every caption of the Typomancer window, with the milliseconds since the start, until
// the last captions seen are `expected` in order (status 0) or the time is up (status 1). The
// system's copy of the caption is read every few milliseconds, so even short captions show.
int Captions(DWORD timeoutMs, const std::vector<std::wstring>& expected) {
    const ULONGLONG start = GetTickCount64();
    std::vector<std::wstring> seen;
    std::vector<ULONGLONG> at;
    bool done = false;
    bool announced = false;
    while (!done && GetTickCount64() - start < timeoutMs) {
        HWND main = MainWindow();
        if (main != nullptr) {
            std::wstring caption = CaptionOf(main);
            if (seen.empty() || seen.back() != caption) {
                seen.push_back(caption);
                at.push_back(GetTickCount64() - start);
            }
            if (!announced) {
                // The caller waits for this line before it starts what we are to watch.
                std::fputs("watching\n", stderr);
                std::fflush(stderr);
                announced = true;
            }
            done = seen.size() >= expected.size() &&
                   std::equal(expected.begin(), expected.end(), seen.end() - expected.size());
        }
        if (!done) Sleep(5);
    }
    std::vector<std::string> items;
    for (size_t i = 0; i < seen.size(); ++i) {
        items.push_back(JsonObject()
                            .Add("caption", seen[i])
                            .Add("ms", static_cast<long long>(at[i]))
                            .Text());
    }
    return Answer(JsonObject().Add("complete", done).Raw("captions", JsonArray(items)),
                  done ? 0 : 1);
}

int Usage() {
    std::fputs(
        "usage: typomancer-probe state | controls | control-text ID | set-control-text ID FILE\n"
        "       | notepad-text | target-text | target-times | target-reset | point ID\n"
        "       | target-wait LENGTH TIMEOUT_MS STALL_MS | captions TIMEOUT_MS CAPTION...\n",
        stderr);
    return 2;
}

bool ParseNumber(const wchar_t* text, long limit, int& number) {
    wchar_t* end = nullptr;
    const long value = std::wcstol(text, &end, 10);
    if (end == text || *end != L'\0' || value < 0 || value > limit) return false;
    number = static_cast<int>(value);
    return true;
}

bool ParseId(const wchar_t* text, int& id) { return ParseNumber(text, 0xffff, id); }

int Run(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    int id = 0;
    if (command == L"state" && argc == 2) return State();
    if (command == L"controls" && argc == 2) return Controls();
    if (command == L"notepad-text" && argc == 2) return EditorText();
    if (command == L"target-text" && argc == 2) return TargetText();
    if (command == L"target-times" && argc == 2) return TargetTimes();
    if (command == L"target-reset" && argc == 2) return TargetReset();
    if (command == L"target-wait" && argc == 5) {
        int length = 0;
        int timeout = 0;
        int stall = 0;
        if (!ParseNumber(argv[2], 100000000, length) || !ParseNumber(argv[3], 3600000, timeout) ||
            !ParseNumber(argv[4], 3600000, stall)) {
            return Usage();
        }
        return TargetWait(static_cast<DWORD>(length), static_cast<DWORD>(timeout),
                          static_cast<DWORD>(stall));
    }
    if (command == L"control-text" && argc == 3 && ParseId(argv[2], id)) return ControlText(id);
    if (command == L"point" && argc == 3 && ParseId(argv[2], id)) return Point(id);
    if (command == L"set-control-text" && argc == 4 && ParseId(argv[2], id)) {
        return SetControlText(id, argv[3]);
    }
    if (command == L"captions" && argc >= 4) {
        int timeout = 0;
        if (!ParseNumber(argv[2], 3600000, timeout)) return Usage();
        return Captions(static_cast<DWORD>(timeout),
                        std::vector<std::wstring>(argv + 3, argv + argc));
    }
    return Usage();
}

}  // namespace
}  // namespace typomancer

int main() {
    // Without this, Wine scales every coordinate we read for a program that is not DPI aware,
    // and the clicks of the high-DPI test would miss.
    SetProcessDPIAware();
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) return 2;
    const int status = typomancer::Run(argc, argv);
    LocalFree(argv);
    return status;
}
