// One key at a prompt whose answer is very long (64 KiB, 1 MiB), at the
// answer's end and at its start, in a UTF-8 locale and outside one: what the
// editor does with the key and what it draws for it.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "console/character_set.h"
#include "console/line_editor.h"

namespace {

using sumwright::LineEditor;
using sumwright::TerminalKey;
using Kind = TerminalKey::Kind;

constexpr std::size_t width = 80;

// Letters and accented letters, typed key by key, then the cursor taken to
// the answer's start or left at its end.
void typed_answer(LineEditor& editor, std::size_t bytes, bool at_start) {
    const TerminalKey letter{Kind::character, "a"};
    const TerminalKey accented{Kind::character, "\xC3\xA9"};
    for (std::size_t typed = 0; typed < bytes; typed += 3) {
        editor.apply(letter);
        editor.apply(accented);
    }
    if (at_start) {
        editor.apply({Kind::sequence, "[H"});
    }
    editor.render(width);
}

// Each key moves the cursor one place and the next one back: Left and Right
// at the end, Right and Left at the start.
void one_key(benchmark::State& state, bool utf8, bool at_start) {
    sumwright::AnswerHistory history;
    LineEditor editor("Column name for creating groups = ? ", utf8, history, sumwright::character_set::column_width);
    typed_answer(editor, static_cast<std::size_t>(state.range(0)), at_start);
    const TerminalKey keys[] = {{Kind::sequence, at_start ? "[C" : "[D"}, {Kind::sequence, at_start ? "[D" : "[C"}};
    std::size_t next = 0;
    for (auto _ : state) {
        editor.apply(keys[next]);
        benchmark::DoNotOptimize(editor.render(width));
        next ^= 1U;
    }
}

constexpr long kib_64 = 64L << 10;
constexpr long mib_1 = 1L << 20;

BENCHMARK_CAPTURE(one_key, utf8_at_end, true, false)->Arg(kib_64)->Arg(mib_1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(one_key, utf8_at_start, true, true)->Arg(kib_64)->Arg(mib_1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(one_key, c_at_end, false, false)->Arg(kib_64)->Arg(mib_1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(one_key, c_at_start, false, true)->Arg(kib_64)->Arg(mib_1)->Unit(benchmark::kMicrosecond);

}  // namespace
