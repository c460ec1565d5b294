// How fast SendKeyText turns text into a batch on the real platform: the engine asks the real
// user32 and kernel32 (under Wine, or on Windows) about the layout, the code page and the key
// states, and only the SendInput call itself is left out, so that nothing is typed. The same
// texts as the native benchmark, so the figures compare. It also counts the calls the engine
// makes to the system per character of text.
//
//   typomancer-bench-win32 [REPETITIONS]      (default 5; prints the median of them)
//
// MiB/s count one byte per character of the script text, as the user wrote it.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_texts.h"
#include "run_error.h"
#include "send_input.h"
#include "win32_keyboard.h"

namespace typomancer {
namespace {

// The calls the engine made to the system during one text.
struct Calls {
    std::uint64_t toAnsi = 0;
    std::uint64_t scanChar = 0;
    std::uint64_t scanCode = 0;
    std::uint64_t keyState = 0;
    std::uint64_t records = 0;
};

// The real keyboard, counting what the engine asks of it, with an injection that does nothing.
class CountingKeyboard : public ForwardingKeyboard {
public:
    explicit CountingKeyboard(KeyboardApi& system) : ForwardingKeyboard(system) {}

    std::int16_t ScanChar(std::uint8_t ansiCode) override {
        ++calls.scanChar;
        return system_.ScanChar(ansiCode);
    }
    std::uint32_t ScanCodeOf(std::uint32_t virtualKey, KeyboardLayoutHandle layout) override {
        ++calls.scanCode;
        return system_.ScanCodeOf(virtualKey, layout);
    }
    std::int16_t KeyState(int virtualKey) override {
        ++calls.keyState;
        return system_.KeyState(virtualKey);
    }
    AnsiChar ToAnsi(char16_t ch) override {
        ++calls.toAnsi;
        return system_.ToAnsi(ch);
    }
    std::uint32_t Inject(const InputRecord*, std::uint32_t count) override {
        calls.records += count;
        return count;
    }

    Calls calls;
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

bool Measure(const char* name, std::u16string (*makeText)(std::size_t), std::size_t size,
             int repetitions) {
    const std::u16string text = makeText(size);
    Win32Keyboard system;
    CountingKeyboard keyboard(system);
    MSendInput engine(keyboard);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);

    // One text first, untimed, as the native benchmark does: the first text of a size grows
    // the batch's memory, which later texts keep.
    try {
        engine.SendKeyText(text);
    } catch (const RunError& error) {
        std::printf("%-13s %8zu  error %d: %s\n", name, size, static_cast<int>(error.Number()),
                    error.what());
        return false;
    }
    std::vector<double> seconds;
    for (int i = 0; i < repetitions; ++i) {
        keyboard.calls = Calls{};
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        engine.SendKeyText(text);
        QueryPerformanceCounter(&end);
        seconds.push_back(Seconds(start, end, frequency));
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    const double chars = static_cast<double>(text.size());
    auto perChar = [chars](std::uint64_t calls) { return static_cast<double>(calls) / chars; };
    std::printf("%-13s %8zu %10.3f %9.2f %9.1f   %5.2f %5.2f %5.2f %5.2f\n", name, size,
                median * 1e3, chars / median / (1024.0 * 1024.0),
                static_cast<double>(keyboard.calls.records) / median / 1e6,
                perChar(keyboard.calls.toAnsi), perChar(keyboard.calls.scanChar),
                perChar(keyboard.calls.scanCode), perChar(keyboard.calls.keyState));
    return true;
}

}  // namespace
}  // namespace typomancer

int main(int argc, char** argv) {
    using namespace typomancer;
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("median of %d runs; calls are per character of text\n", repetitions);
    std::printf("%-13s %8s %10s %9s %9s   %5s %5s %5s %5s\n", "text", "chars", "ms", "MiB/s",
                "Mrec/s", "ansi", "vkscn", "mapvk", "keyst");
    bool ok = true;
    for (std::size_t kib : {1, 10, 100, 1024}) {
        ok &= Measure("PlainText", PlainText, kib * 1024, repetitions);
        ok &= Measure("BraceHeavy", BraceHeavyText, kib * 1024, repetitions);
        ok &= Measure("LargeRepeats", LargeRepeatText, kib * 1024, repetitions);
    }
    return ok ? 0 : 1;
}
