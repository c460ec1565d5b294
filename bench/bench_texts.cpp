#include "bench_texts.h"

#include <cstdint>

#include "send_input.h"

namespace typomancer {
namespace {

std::u16string RepeatTo(std::u16string_view unit, std::size_t size) {
    std::u16string text;
    text.reserve(size + unit.size());
    while (text.size() < size) text += unit;
    text.resize(size);
    return text;
}

}  // namespace

std::u16string PlainText(std::size_t size) {
    return RepeatTo(u"The quick brown Fox jumps over 13 lazy dogs; \"Why?\" asked Zoe, at 9:45. ",
                    size);
}

std::u16string BraceHeavyText(std::size_t size) {
    const std::u16string unit = u"{ENTER}{TAB 3}+{F4}^{LEFT 2}{h 5}%(ab)~{PGDN}{bs}+{END}x{}}";
    std::u16string text;
    while (text.size() + unit.size() <= size) text += unit;
    return RepeatTo(u"a", size - text.size()).insert(0, text);
}

// An item only fits when the batch has grown just before it, so short items of 24 records are
// put between as the capacity rule needs them.
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

}  // namespace typomancer
