// How fast SendKeyText turns text into a batch. The keyboard is the simulated US layout with an
// injection that does nothing, so what is measured is parsing, translation and the batch.
//
//   cmake --build <build> --target typomancer-bench && <build>/typomancer-bench
//
// Bytes processed count one byte per character of the script text, as the user wrote it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "run_error.h"
#include "send_input.h"
#include "sim_keyboard.h"

namespace typomancer {
namespace {

class DiscardingKeyboard : public SimKeyboard {
public:
    std::uint32_t Inject(const InputRecord*, std::uint32_t count) override {
        injected += count;
        return count;
    }
    std::uint64_t injected = 0;
};

std::u16string RepeatTo(std::u16string_view unit, std::size_t size) {
    std::u16string text;
    text.reserve(size + unit.size());
    while (text.size() < size) text += unit;
    text.resize(size);
    return text;
}

// Letters of both cases, digits, blanks and punctuation, with nothing the notation treats
// specially: every character is one key press, a quarter of them with Shift.
std::u16string PlainText(std::size_t size) {
    return RepeatTo(u"The quick brown Fox jumps over 13 lazy dogs; \"Why?\" asked Zoe, at 9:45. ",
                    size);
}

// Key names, counts, prefixes, groups and Enter. Cut at a whole unit, so no code is left open.
std::u16string BraceHeavyText(std::size_t size) {
    const std::u16string unit = u"{ENTER}{TAB 3}+{F4}^{LEFT 2}{h 5}%(ab)~{PGDN}{bs}+{END}x{}}";
    std::u16string text;
    while (text.size() + unit.size() <= size) text += unit;
    return RepeatTo(u"a", size - text.size()).insert(0, text);
}

// Items of 500 records from 9 characters. An item only fits when the batch has grown just
// before it, so short items of 24 records are put between as the capacity rule needs them.
std::u16string LargeRepeatText(std::size_t size) {
    const std::u16string large = u"{TAB 250}";
    const std::u16string small = u"{TAB 12}";
    std::int64_t upperBound = kInitialUpperBound;
    std::int64_t count = 0;
    std::u16string text;
    while (true) {
        bool fits = upperBound + 1 - count >= 500;
        const std::u16string& item = fits ? large : small;
        if (text.size() + item.size() > size) break;
        text += item;
        count += fits ? 500 : 24;
        if (count >= upperBound - kGrowthMargin) upperBound += kGrowthStep;
    }
    return RepeatTo(u"a", size - text.size()).insert(0, text);
}

template <std::u16string (*MakeText)(std::size_t)>
void BM_SendKeyText(benchmark::State& state) {
    const std::u16string text = MakeText(static_cast<std::size_t>(state.range(0)));
    DiscardingKeyboard keyboard;
    MSendInput engine(keyboard);
    try {
        engine.SendKeyText(text);
    } catch (const RunError& error) {
        state.SkipWithError(error.what());
        return;
    }
    keyboard.injected = 0;
    for (auto _ : state) {
        engine.SendKeyText(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
    state.counters["records"] = benchmark::Counter(static_cast<double>(keyboard.injected),
                                                   benchmark::Counter::kIsRate);
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (std::int64_t kib : {1, 10, 100, 1024}) b->Arg(kib * 1024);
}

BENCHMARK_TEMPLATE(BM_SendKeyText, PlainText)->Apply(Sizes)->Name("PlainText");
BENCHMARK_TEMPLATE(BM_SendKeyText, BraceHeavyText)->Apply(Sizes)->Name("BraceHeavy");
BENCHMARK_TEMPLATE(BM_SendKeyText, LargeRepeatText)->Apply(Sizes)->Name("LargeRepeats");

}  // namespace
}  // namespace typomancer

BENCHMARK_MAIN();
