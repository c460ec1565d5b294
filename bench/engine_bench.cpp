// How fast SendKeyText turns text into a batch. The keyboard is the simulated US layout with an
// injection that does nothing, so what is measured is parsing, translation and the batch.
//
//   cmake --build <build> --target typomancer-bench && <build>/typomancer-bench
//
// Bytes processed count one byte per character of the script text, as the user wrote it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench_texts.h"
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
