// Whole runs of the real program as a process, beside the shell commands of
// its tool checks run alone. The CPU time of an idle key wait is measured
// by console_idle_cpu_bench.py, on a terminal and in a Wine console.
//
// The program is the one built beside the benchmarks, or the one named by the
// environment variable SUMWRIGHT_BINARY.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/check_commands.h"
#include "dialogue/command_runner.h"
#include "report_copy.h"

namespace sumwright {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view program_name = "www.example.com.exe";

fs::path program_binary() {
    if (const char* named = std::getenv("SUMWRIGHT_BINARY"); named != nullptr && *named != '\0') {
        return named;
    }
    return SUMWRIGHT_PROGRAM;
}

// A directory of its own holding a copy of the program under a site name,
// as a user would run it; removed at the end.
const fs::path& program_directory() {
    static const ScratchDirectory directory("sumwright_process_bench_");
    static const bool copied =
        fs::copy_file(program_binary(), directory.path() / program_name, fs::copy_options::overwrite_existing);
    static_cast<void>(copied);
    return directory.path();
}

// In a child process: the program started in its directory as a user would.
[[noreturn]] void exec_program(const std::string& program) {
    if (::chdir(program_directory().c_str()) == 0) {
        char* const arguments[] = {const_cast<char*>("./www.example.com.exe"), nullptr};
        ::execv(program.c_str(), arguments);
    }
    ::_exit(127);
}

// Starts the program in its directory with `input` on a pipe as standard
// input and its output thrown away; gives its exit status, or -1. With
// `peak_kib`, the most memory the program held at once (its peak resident
// set, in KiB).
int run_program_with(const std::string& input, long* peak_kib = nullptr) {
    const std::string program = (program_directory() / program_name).string();
    int input_pipe[2];
    if (::pipe(input_pipe) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const int null_device = ::open("/dev/null", O_WRONLY);
        ::dup2(input_pipe[0], STDIN_FILENO);
        ::dup2(null_device, STDOUT_FILENO);
        ::dup2(null_device, STDERR_FILENO);
        ::close(input_pipe[0]);
        ::close(input_pipe[1]);
        exec_program(program);
    }
    ::close(input_pipe[0]);
    // The whole dialogue fits in the pipe, so this never waits on the child.
    const ssize_t written = ::write(input_pipe[1], input.data(), input.size());
    ::close(input_pipe[1]);
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || written != static_cast<ssize_t>(input.size())) {
        return -1;
    }
    if (peak_kib != nullptr) {
        *peak_kib = usage.ru_maxrss;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// CPU time (user and system) in seconds of this process (RUSAGE_SELF) or of
// its ended children (RUSAGE_CHILDREN: the program, and the shell commands
// it started).
double cpu_seconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double children_cpu_seconds() { return cpu_seconds(RUSAGE_CHILDREN); }

void count_children_cpu(benchmark::State& state, double cpu_before) {
    state.counters["children_cpu_ms"] =
        benchmark::Counter((children_cpu_seconds() - cpu_before) * 1000, benchmark::Counter::kAvgIterations);
}

std::string typed(std::initializer_list<std::string_view> lines) {
    std::string input;
    for (const auto line : lines) {
        input.append(line).push_back('\n');
    }
    return input;
}

// Terms, directory warning, menu key, the answers, the final key.
void BM_WholeRun(benchmark::State& state, const std::string& input) {
    const double cpu_before = children_cpu_seconds();
    for (auto _ : state) {
        if (run_program_with(input) != 0) {
            state.SkipWithError("the program did not end with status 0");
            return;
        }
    }
    count_children_cpu(state, cpu_before);
}
#define WHOLE_RUN(name, ...) \
    BENCHMARK_CAPTURE(BM_WholeRun, name, typed({__VA_ARGS__}))->Unit(benchmark::kMillisecond)->UseRealTime()
WHOLE_RUN(subtotal_N2, "1", "1", "1", "A", "2", "D", "2", "F", "x");
WHOLE_RUN(subtotal_N234, "1", "1", "1", "A", "234", "D", "2", "A", "x");
WHOLE_RUN(sumif_01, "1", "1", "2", "B", "D", "2", "F", "x");
WHOLE_RUN(sumif_02, "1", "1", "3", "B", "D", "2", "F", "x");

// The whole run that writes the subtotal report of 1000 levels (10.6 MB),
// beside a tiny run (the same dialogue, 2 levels) plus a copy of that report
// file: what writing the report costs beyond the bytes themselves. Each
// iteration takes all three in turn, so that they share the machine's state.
//   ratio:         whole run / (tiny run + plain copy)
//   ratio_durable: whole run / (tiny run + a copy put in place as the report
//                  is: synced to the disk, renamed, the directory synced);
//                  the report itself is made durable, the plain copy is not.
//   cpu_ratio:     the same as ratio in CPU time (user and system), which a
//                  busy machine disturbs less than the wall time.
// peak_mib is the most memory the 1000-level run held at once.
void BM_WholeRunAgainstCopy(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const std::string large = typed({"1", "1", "1", "A", "1000", "D", "2", "A", "x"});
    const std::string tiny = typed({"1", "1", "1", "A", "2", "D", "2", "A", "x"});
    const fs::path report = program_directory() / "swr_subtotal.htm";
    // Wall time, and CPU time of this process and its ended children.
    double cpu_total = 0;
    const auto seconds_of = [&cpu_total](auto run) {
        const double cpu_before = cpu_seconds(RUSAGE_SELF) + children_cpu_seconds();
        const auto start = Clock::now();
        const bool done = run();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        cpu_total = cpu_seconds(RUSAGE_SELF) + children_cpu_seconds() - cpu_before;
        return done ? seconds : -1.0;
    };
    const fs::path source = program_directory() / "large_report.htm";
    const fs::path copy = program_directory() / "copy_of_report.htm";
    double whole = 0;
    double tiny_run = 0;
    double plain_copy = 0;
    double durable_copy = 0;
    double whole_cpu = 0;
    double tiny_and_copy_cpu = 0;
    long peak_kib = 0;
    for (auto _ : state) {
        const double whole_seconds = seconds_of([&] { return run_program_with(large, &peak_kib) == 0; });
        whole_cpu += cpu_total;
        fs::rename(report, source);
        const double tiny_seconds = seconds_of([&] { return run_program_with(tiny) == 0; });
        tiny_and_copy_cpu += cpu_total;
        const double plain_seconds =
            seconds_of([&] { return fs::copy_file(source, copy, fs::copy_options::overwrite_existing); });
        tiny_and_copy_cpu += cpu_total;
        const double durable_seconds = seconds_of([&] { return copy_put_in_place(source.string(), copy.string()); });
        if (whole_seconds < 0 || tiny_seconds < 0 || plain_seconds < 0 || durable_seconds < 0) {
            state.SkipWithError("a run or a copy failed");
            return;
        }
        state.SetIterationTime(whole_seconds);
        whole += whole_seconds;
        tiny_run += tiny_seconds;
        plain_copy += plain_seconds;
        durable_copy += durable_seconds;
    }
    const auto per_iteration_ms = [&state](double total) {
        return benchmark::Counter(total * 1000 / static_cast<double>(state.iterations()));
    };
    state.counters["tiny_run_ms"] = per_iteration_ms(tiny_run);
    state.counters["copy_ms"] = per_iteration_ms(plain_copy);
    state.counters["durable_copy_ms"] = per_iteration_ms(durable_copy);
    state.counters["ratio"] = whole / (tiny_run + plain_copy);
    state.counters["ratio_durable"] = whole / (tiny_run + durable_copy);
    state.counters["cpu_ratio"] = whole_cpu / tiny_and_copy_cpu;
    state.counters["peak_mib"] = static_cast<double>(peak_kib) / 1024;
}
BENCHMARK(BM_WholeRunAgainstCopy)->UseManualTime()->Unit(benchmark::kMillisecond);

// A run that ends at the terms: start, banner and exit, no checks.
WHOLE_RUN(terms_declined, "2");

// The shell commands of the tool checks, in the order the program runs them,
// through the same command runner, in the same directory.
void BM_CheckCommandsAlone(benchmark::State& state) {
    const fs::path before = fs::current_path();
    fs::current_path(program_directory());
    const CheckCommands commands = check_commands(program_name);
    SystemCommandRunner shell;
    const double cpu_before = children_cpu_seconds();
    for (auto _ : state) {
        shell.run(commands.listing_a);
        shell.run(commands.listing_a);
        shell.run(commands.sort);
        shell.run(commands.listing_b);
        shell.run(commands.find);
    }
    count_children_cpu(state, cpu_before);
    fs::current_path(before);
}
BENCHMARK(BM_CheckCommandsAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace sumwright
