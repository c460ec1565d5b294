// FSendInput: the program's only window, with the script box, the two reference pictures, the
// code palette and the run button.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "palette.h"
#include "pause.h"
#include "runner_host.h"
#include "unique_resource.h"

namespace typomancer {

class MSendInput;
class TrackedKeyboard;
class Win32EventPump;

class FSendInput : public RunnerHost {
public:
    FSendInput(HINSTANCE instance, MSendInput& engine, TrackedKeyboard& keyboard,
               Win32EventPump& pump, TickSource& clock);
    ~FSendInput() override;
    FSendInput(const FSendInput&) = delete;
    FSendInput& operator=(const FSendInput&) = delete;

    // Creates the window and its controls, hidden. False when the system refuses.
    bool Create();
    // Start-up: the sample script, the window shown, notepad started, then the window back in
    // front with the focus on "Run Script".
    void Form_Load(int showCommand);
    // The program's message loop; returns the exit code once the window is gone.
    int RunMessageLoop();

    HWND Handle() const { return window_.get(); }

    // RunnerHost.
    void SetCaption(std::u16string_view caption) override;
    void Minimise() override;
    void MoveToBottom() override;
    void TakeFocus() override;
    void ProcessPendingEvents() override;
    void Pause(double milliseconds) override;
    std::u16string ScriptText() override;
    void ShowMessage(std::u16string_view text, std::u16string_view title) override;
    void SendKeysStatement(std::u16string_view text, bool wait) override;
    bool ForegroundIsOwn() override;
    bool Closing() override { return closing_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterClasses(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateControls();
    void OnCommand(int id, int code, HWND control);
    void OnActivate(WPARAM wParam);
    void OnNextControl(WPARAM wParam, LPARAM lParam);
    LRESULT OnControlColour(HDC dc, HWND control);
    void PaintPicture(HWND picture);

    void cmd_Click(int index);
    void cmdRun_Click();
    void ReportError(std::int32_t number, const std::string& description);

    void ReplaceScript(const std::u16string& script, const std::u16string& previous);
    void StartNotepad();
    void BringToFront();
    void LetTargetTakeItsInput();
    // A WM_QUIT taken by a nested pump ends the program once the handler that ran it returns.
    void ForwardQuit();

    HINSTANCE instance_;
    MSendInput& engine_;
    TrackedKeyboard& keyboard_;
    Win32EventPump& pump_;
    TickSource& clock_;

    UniqueWindow window_;
    int dpi_ = 96;
    UniqueFont font_;
    UniqueFont boldFont_;
    UniqueBrush groundBrush_;

    HWND txtScript_ = nullptr;
    HWND txtWait_ = nullptr;
    HWND cmdRun_ = nullptr;
    std::array<HWND, kPaletteButtonCount> cmd_{};
    HWND savedFocus_ = nullptr;
    bool closing_ = false;
};

}  // namespace typomancer
