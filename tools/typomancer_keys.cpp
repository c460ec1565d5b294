// typomancer-keys: shows the key events that Typomancer would inject for a text, without
// injecting anything.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "report.h"
#include "run_error.h"
#include "send_input.h"
#include "utf.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "win32_keyboard.h"
#else
#include "sim_keyboard.h"
#endif

namespace {

using namespace typomancer;

constexpr const char* kUsage = R"(Usage: typomancer-keys [--caps-lock] [--raw] [--] TEXT

Shows the key events that Typomancer would inject for TEXT, without injecting anything.
On Linux the keyboard is a simulated United States layout with code page 1252; on Windows it
is the keyboard layout of the session.

  --caps-lock   translate as if Caps Lock were on
  --raw         print each record as "wVk wScan dwFlags" in decimal
  --help        show this text

Each injection prints "send N" and then one line per record. An error prints
"error N: description" on standard error and exits with status 1.

The notation:
  abc           plain characters are typed as themselves
  + ^ %         Shift, Ctrl or Alt held over the next item: +a, ^{ESC}, %{F4}
  (...)         a group, held as a whole under one prefix: +(ab) types AB
  {NAME}        a named key: ENTER, TAB, ESC, BACKSPACE (BS, BKSP), DELETE (DEL), INSERT (INS),
                HOME, END, PGUP, PGDN, LEFT, RIGHT, UP, DOWN, BREAK, PAUSE, CAPSLOCK,
                NUMLOCK, SCROLLLOCK, PRTSC, PRINT, HELP, SELECT, F1 to F16 (any letter case)
  {NAME n}      the key pressed n times: {LEFT 42}; {h 10} types h ten times
  {c}           a character that is otherwise special: {+} {^} {%} {~} {(} {{} {}}
  ~             the Enter key
)";

struct Options {
    bool raw = false;
    bool capsLock = false;
    bool help = false;
    bool haveText = false;
    std::u16string text;
    std::string error;
};

Options ParseArguments(const std::vector<std::u16string>& args) {
    Options options;
    bool optionsEnded = false;
    for (const std::u16string& arg : args) {
        if (!optionsEnded && arg == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == u"--raw") {
            options.raw = true;
        } else if (!optionsEnded && arg == u"--caps-lock") {
            options.capsLock = true;
        } else if (!optionsEnded && (arg == u"--help" || arg == u"-h")) {
            options.help = true;
        } else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, u"--") == 0) {
            options.error = "unknown option " + Utf16ToUtf8(arg);
        } else if (options.haveText) {
            options.error = "more than one TEXT given (quote the text as one argument)";
        } else {
            options.haveText = true;
            options.text = arg;
        }
    }
    if (!options.help && options.error.empty() && !options.haveText) {
        options.error = "no TEXT given";
    }
    return options;
}

int Run(const std::vector<std::u16string>& args, KeyboardApi& system) {
    Options options = ParseArguments(args);
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << "typomancer-keys: " << options.error << "\n\n" << kUsage;
        return 2;
    }
    ReportingKeyboard keyboard(system, std::cout, options.raw, options.capsLock);
    MSendInput engine(keyboard);
    try {
        engine.SendKeyText(options.text, false);
    } catch (const RunError& error) {
        std::cout.flush();
        std::cerr << "error " << error.Number() << ": " << error.Description() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "error " << kErrOutOfMemory << ": Out of memory\n";
        return 1;
    }
    return 0;
}

}  // namespace

#ifdef _WIN32
int main() {
    // Binary output, so the lines end in LF as on Linux and the two builds print the same.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::u16string> args;
    for (int i = 1; argv && i < argc; ++i) {
        args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    }
    LocalFree(argv);
    Win32Keyboard system;
    return Run(args, system);
}
#else
int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(Utf8ToUtf16(argv[i]));
    }
    SimKeyboard system;
    return Run(args, system);
}
#endif
