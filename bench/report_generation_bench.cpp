// Generating and writing the reports through the real report file, beside
// copying a file of the same size on the same disk.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "generators/subtotal_generator.h"
#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"
#include "report/html_text.h"
#include "report/report_file.h"
#include "report/report_frame.h"
#include "report_copy.h"

namespace sumwright {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view separator = ";";
constexpr std::string_view web_link = "http://www.example.com";
constexpr std::string_view link_program_name = "www.example.com.exe";

ScratchDirectory& scratch() {
    static ScratchDirectory directory("sumwright_bench_");
    return directory;
}

using BodyWriter = std::function<void(LineSink&)>;

// One whole report, as the program writes it: frame, body, end, and the new
// file put in the report's place. Gives the report's size in bytes.
std::int64_t write_report(const std::string& path, ReportKind kind, const BodyWriter& write_body) {
    std::string reason;
    const std::unique_ptr<ReportFile> report = ReportFile::open(path, reason);
    if (!report) {
        return -1;
    }
    write_report_head(*report, kind, web_link, link_program_name);
    write_body(*report);
    write_report_end(*report);
    if (!report->finish(reason)) {
        return -1;
    }
    return static_cast<std::int64_t>(fs::file_size(path));
}

void run_report(benchmark::State& state, ReportKind kind, const BodyWriter& write_body) {
    const std::string path = scratch().file(report_texts(kind).file_name);
    std::int64_t size = 0;
    for (auto _ : state) {
        size = write_report(path, kind, write_body);
        if (size < 0) {
            state.SkipWithError("the report could not be written");
            return;
        }
    }
    state.SetBytesProcessed(size * state.iterations());
    state.counters["report_bytes"] = static_cast<double>(size);
}

SubtotalAnswers subtotal_answers(std::int64_t levels) {
    // Grouping columns from A, the free area from A as well so that the 3N
    // step columns of N = 234 end at ZZ.
    return {"A", static_cast<std::int32_t>(levels), "D", 2, "A"};
}

const SumifAnswers sumif_answers{"B", "D", 2, "F"};

void BM_SubtotalReport(benchmark::State& state) {
    const SubtotalAnswers answers = subtotal_answers(state.range(0));
    run_report(state, ReportKind::subtotal,
               [&answers](LineSink& report) { write_subtotal_body(report, answers, separator); });
}
BENCHMARK(BM_SubtotalReport)->Arg(10)->Arg(234)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SumifReport(benchmark::State& state, ReportKind kind,
                    void (*write_body)(LineSink&, const SumifAnswers&, std::string_view)) {
    run_report(state, kind, [write_body](LineSink& report) { write_body(report, sumif_answers, separator); });
}
BENCHMARK_CAPTURE(BM_SumifReport, sumif_01, ReportKind::sumif_01, write_sumif_01_body)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SumifReport, sumif_02, ReportKind::sumif_02, write_sumif_02_body)->Unit(benchmark::kMicrosecond);

// Counts what a body would write and keeps nothing: the generation alone.
class CountingSink final : public LineSink {
public:
    void write_text(std::string_view text) override { bytes_ += static_cast<std::int64_t>(text.size()); }
    void write_line(std::string_view text) override { bytes_ += static_cast<std::int64_t>(text.size()) + 2; }
    [[nodiscard]] std::int64_t bytes() const { return bytes_; }

private:
    std::int64_t bytes_ = 0;
};

void BM_SubtotalBodyOnly(benchmark::State& state) {
    const SubtotalAnswers answers = subtotal_answers(state.range(0));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        CountingSink sink;
        write_subtotal_body(sink, answers, separator);
        bytes = sink.bytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(bytes * state.iterations());
}
BENCHMARK(BM_SubtotalBodyOnly)->Arg(10)->Arg(234)->Arg(1000)->Unit(benchmark::kMillisecond);

// The "&" protection on a line of N formula pieces, each with an "&" before
// a cell that a browser would not decode and one before a cell it would
// ("&J2;" and "&GT2"): its time per "&" stays the same however long the line.
void BM_ProtectCharacterReferences(benchmark::State& state) {
    std::string line;
    for (std::int64_t piece = 0; piece < state.range(0); ++piece) {
        line += R"("<<<  "&J2;""&GT2&")";
    }
    for (auto _ : state) {
        std::string written = protect_character_references(line);
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(line.size()) * state.iterations());
    state.counters["ampersands"] =
        benchmark::Counter(static_cast<double>(3 * state.range(0) * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProtectCharacterReferences)->Arg(10)->Arg(1000)->Arg(100000);

// A file of the size of the subtotal report of N levels, to copy.
std::string source_of_subtotal_size(std::int64_t levels) {
    std::string path = scratch().file("copy_source_" + std::to_string(levels) + ".htm");
    const SubtotalAnswers answers = subtotal_answers(levels);
    write_report(path, ReportKind::subtotal,
                 [&answers](LineSink& report) { write_subtotal_body(report, answers, separator); });
    return path;
}

// Copies of a file of that size: `way` 0 is the file system's own copy, 1
// goes through the C library's buffered streams as the report file writes, 2
// puts the copy in place as the report is (see report_copy.h); the
// difference of 2 to 1 is what that costs.
void BM_CopyOfSubtotalSize(benchmark::State& state) {
    const std::string source = source_of_subtotal_size(state.range(0));
    const std::string target = scratch().file("copy_target.htm");
    const std::int64_t way = state.range(1);
    for (auto _ : state) {
        if (!(way == 0   ? fs::copy_file(source, target, fs::copy_options::overwrite_existing)
              : way == 1 ? copy_through_streams(source, target)
                         : copy_put_in_place(source, target))) {
            state.SkipWithError("the copy failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(fs::file_size(source)) * state.iterations());
}
BENCHMARK(BM_CopyOfSubtotalSize)
    ->ArgsProduct({{10, 234, 1000}, {0, 1, 2}})
    ->ArgNames({"levels", "way"})
    ->UseRealTime()  // the disk's time is spent waiting, not computing
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sumwright
