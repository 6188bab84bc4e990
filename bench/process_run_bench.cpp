// Whole runs of the real program as a process, beside the shell commands of
// its tool checks run alone; and the CPU time a key wait uses while nobody
// presses a key.
//
// The program is the one built beside the benchmarks, or the one named by the
// environment variable SUMWRIGHT_BINARY.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "console/console.h"
#include "console/key_wait.h"
#include "console/terminal.h"
#include "dialogue/check_commands.h"
#include "dialogue/command_runner.h"
#include "report_copy.h"

namespace sumwright {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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

// ---------------------------------------------------------------- key wait

// The program's console with the output dropped: keys come from the
// terminal on standard input through the real single-key mode.
class SilentTerminalConsole final : public Console {
public:
    void write_text(std::string_view /*text*/) override {}
    void write_line(std::string_view /*text*/) override {}
    [[nodiscard]] bool is_interactive() const override { return true; }
    std::unique_ptr<KeySession> begin_key_session() override { return std::make_unique<terminal::SingleKeyMode>(); }
    std::optional<std::string> read_line() override { return std::nullopt; }
    void flush() override {}
    void write_error_line(std::string_view /*text*/) override {}
};

// A key wait on a real pseudo-terminal that gets its key after 2 seconds.
// The CPU column is the waiting thread's CPU time; process_cpu_ms counts the
// whole process, the thread that presses the key included.
void BM_KeyWaitOfTwoSeconds(benchmark::State& state) {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const int saved_input = ::dup(STDIN_FILENO);
    ::dup2(slave, STDIN_FILENO);
    SilentTerminalConsole console;
    double process_cpu = 0;
    for (auto _ : state) {
        const double cpu_before = cpu_seconds(RUSAGE_SELF);
        std::thread presser([master] {
            std::this_thread::sleep_for(2s);
            static_cast<void>(::write(master, "1", 1));
        });
        benchmark::DoNotOptimize(wait_for_key(console, {"<1> yes and continue"}, {"1"}));
        presser.join();
        process_cpu += cpu_seconds(RUSAGE_SELF) - cpu_before;
    }
    ::dup2(saved_input, STDIN_FILENO);
    ::close(saved_input);
    ::close(slave);
    ::close(master);
    state.counters["process_cpu_ms"] = benchmark::Counter(process_cpu * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_KeyWaitOfTwoSeconds)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// CPU time (user and system) a process has used, in nanoseconds; from the
// scheduler's account where the kernel keeps one, else in clock ticks.
std::optional<double> process_cpu_ns(pid_t pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    double run_ns = 0;
    if (schedstat >> run_ns) {
        return run_ns;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto end_of_name = text.rfind(')');
    if (end_of_name == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text.substr(end_of_name + 2));
    std::vector<std::string> values((std::istream_iterator<std::string>(fields)), std::istream_iterator<std::string>());
    if (values.size() < 13) {
        return std::nullopt;
    }
    const double ticks = std::stod(values[11]) + std::stod(values[12]);
    return ticks * 1e9 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Reads the terminal until `text` has appeared; false after 20 seconds.
bool read_until(int master, std::string_view text) {
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (output.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        pollfd descriptor{master, POLLIN, 0};
        if (::poll(&descriptor, 1, 100) > 0) {
            char buffer[4096];
            const ssize_t count = ::read(master, buffer, sizeof buffer);
            if (count <= 0) {
                return false;
            }
            output.append(buffer, static_cast<std::size_t>(count));
        }
    }
    return true;
}

// The real program on a pseudo-terminal, left in its terms wait for 2
// seconds: wait_cpu_ms is the CPU time it used meanwhile.
void BM_ProgramIdleInKeyWait(benchmark::State& state) {
    const std::string program = (program_directory() / program_name).string();
    double cpu_ns = 0;
    for (auto _ : state) {
        state.PauseTiming();
        int master = -1;
        const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
        if (child == 0) {
            exec_program(program);
        }
        if (child < 0 || !read_until(master, "<2> no and end")) {
            state.SkipWithError("the program did not reach its terms wait");
            return;
        }
        state.ResumeTiming();
        const auto before = process_cpu_ns(child);
        std::this_thread::sleep_for(2s);
        const auto after = process_cpu_ns(child);
        state.PauseTiming();
        static_cast<void>(::write(master, "2", 1));
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(master);
        state.ResumeTiming();
        if (!before || !after) {
            state.SkipWithError("the program's CPU time cannot be read");
            return;
        }
        cpu_ns += *after - *before;
    }
    state.counters["wait_cpu_ms"] = benchmark::Counter(cpu_ns / 1e6, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ProgramIdleInKeyWait)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace sumwright
