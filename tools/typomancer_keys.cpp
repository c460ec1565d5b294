// typomancer-keys: shows the key events that Typomancer would inject for a text, without
// injecting anything.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "report.h"
#include "run_error.h"
#include "runner.h"
#include "script_host.h"
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
       typomancer-keys [--caps-lock] [--raw] --script FILE

Shows the key events that Typomancer would inject for TEXT, without injecting anything.
On Linux the keyboard is a simulated United States layout with code page 1252; on Windows it
is the keyboard layout of the session.

  --caps-lock      translate as if Caps Lock were on
  --raw            print each record as "wVk wScan dwFlags" in decimal
  --script FILE    run the whole script in FILE ("-" for standard input) as "Run Script"
                   does, without waiting and without injecting anything
  --help           show this text

Each injection prints "send N" and then one line per record. An error prints
"error N: description" on standard error and exits with status 1.

With --script, FILE is read as UTF-8 (a byte order mark is skipped) and its line breaks are
kept as they are: lines are separated by CR LF, so a file with bare LF line ends is one line
for the runner. Every action prints one line, in order:
  caption TEXT, minimise, bottom, focus    what is done to the window
  pause MS                                 a wait of MS milliseconds (not waited)
  send N and its records                   one injection
  statement TEXT WAIT                      the key-sending statement (WAIT 0 or 1)
  message TITLE: TEXT                      a message box, CR and LF shown as \r and \n
The exit status is 0 when the run ends normally, 1 when it ends in an error message, and 2
when FILE cannot be read.

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
    std::optional<std::u16string> scriptPath;
    std::string error;
};

Options ParseArguments(const std::vector<std::u16string>& args) {
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (!optionsEnded && arg == u"--script") {
            if (i + 1 >= args.size()) {
                options.error = "--script needs a FILE (or - for standard input)";
            } else if (options.scriptPath) {
                options.error = "more than one --script given";
            } else {
                options.scriptPath = args[++i];
            }
        } else if (!optionsEnded && arg == u"--") {
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
    if (options.scriptPath && options.haveText) {
        options.error = "TEXT and --script cannot be given together";
    }
    if (!options.help && options.error.empty() && !options.haveText && !options.scriptPath) {
        options.error = "no TEXT given";
    }
    return options;
}

// The whole file, byte for byte: CR LF pairs must reach the runner as they are.
bool ReadAllBytes(const std::u16string& path, std::string& bytes, std::string& error) {
    std::FILE* file = nullptr;
    bool standardInput = path == u"-";
    if (standardInput) {
        file = stdin;
    } else {
#ifdef _WIN32
        file = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"rb");
#else
        file = std::fopen(Utf16ToUtf8(path).c_str(), "rb");
#endif
    }
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    bool failed = std::ferror(file) != 0;
    if (failed) error = std::strerror(errno);
    if (!standardInput) std::fclose(file);
    return !failed;
}

int RunScript(const Options& options, KeyboardApi& system) {
    std::string bytes;
    std::string readError;
    if (!ReadAllBytes(*options.scriptPath, bytes, readError)) {
        std::cerr << "typomancer-keys: cannot read " << Utf16ToUtf8(*options.scriptPath) << ": "
                  << readError << '\n';
        return 2;
    }
    ReportingKeyboard keyboard(system, std::cout, options.raw, options.capsLock);
    MSendInput engine(keyboard);
    ReportingHost host(ScriptFromUtf8(bytes), keyboard, std::cout);
    RunOutcome outcome = cmdRun_Click(host, engine);
    std::cout.flush();
    return outcome == RunOutcome::Completed ? 0 : 1;
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
    if (options.scriptPath) {
        return RunScript(options, system);
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
    // A script read from standard input keeps its CR LF pairs.
    _setmode(_fileno(stdin), _O_BINARY);
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
