#include "dialogue/prerequisite_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialogue/check_commands.h"
#include "dialogue/command_runner.h"
#include "fake_console.h"
#include "scratch_directory.h"

namespace sumwright {
namespace {

namespace fs = std::filesystem;

void write_file(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Stands in for the shell: each command line writes what the test says, and
// the runner notes which check files were there before it ran.
class ScriptedShell final : public CommandRunner {
public:
    std::string run(const CheckCommand& command) override {
        const std::string command_line(command.line);
        calls.push_back(command_line + (fs::exists("check_01.txt") ? " 01" : "") +
                        (fs::exists("check_02.txt") ? " 02" : ""));
        const auto effect = effects.find(command_line);
        if (effect != effects.end()) {
            effect->second();
        }
        return {};
    }

    std::map<std::string, std::function<void()>> effects;
    std::vector<std::string> calls;  // each command line with the check files there before it
};

std::function<void()> writes(const char* file, std::string bytes) {
    return [file, bytes = std::move(bytes)] { write_file(file, bytes); };
}

// Writes as sort and find do: only when there is a listing to work on.
std::function<void()> works_on_listing(const char* file, std::string bytes) {
    return [file, bytes = std::move(bytes)] {
        if (fs::exists("check_01.txt")) {
            write_file(file, bytes);
        }
    };
}

constexpr std::string_view program = "./www.x.exe";

// A shell on which every tool works and the directory holds a program.
void make_tools_work(ScriptedShell& shell) {
    const CheckCommands commands = check_commands(program);
    shell.effects[std::string(commands.listing_a.line)] = writes("check_01.txt", "total 8\r\n.\r\n..\r\nwww.x.exe\r\n");
    shell.effects[std::string(commands.listing_b.line)] = writes("check_01.txt", "total 8\r\n.\r\n..\r\nwww.x.exe\r\n");
    shell.effects[std::string(commands.sort.line)] =
        works_on_listing("check_02.txt", ".\r\n..\r\ntotal 8\r\nwww.x.exe\r\n");
    shell.effects[std::string(commands.find.line)] =
        works_on_listing("check_02.txt", "\r\n---------- CHECK_01.TXT\r\nwww.x.exe\r\n");
}

const std::vector<std::string> passed_lines{
    "----------------------------------------------------------",
    "Checking the presence of vital assistance programs of MS Windows system:", "cmd", "sort", "find"};

struct CountCase {
    const char* name;
    std::optional<std::string> bytes;  // no file without
    std::size_t count;
};

void PrintTo(const CountCase& c, std::ostream* out) { *out << c.name; }

class CountNonblankLines : public InScratchDirectory, public testing::WithParamInterface<CountCase> {};

TEST_P(CountNonblankLines, CountsLinesWithMoreThanSpaces) {
    if (GetParam().bytes) {
        write_file("counted.txt", *GetParam().bytes);
    }
    EXPECT_EQ(count_nonblank_lines("counted.txt"), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Files, CountNonblankLines,
                         testing::Values(CountCase{"MissingFile", std::nullopt, 0}, CountCase{"Empty", "", 0},
                                         CountCase{"EmptyLines", "\n\n\r\n", 0},
                                         CountCase{"SpacesOnly", "   \n \r\n  ", 0}, CountCase{"TabCounts", "\t\n", 1},
                                         CountCase{"SpacesAroundText", "  x  \r\n", 1},
                                         CountCase{"NoLastLineEnd", "a\nb", 2},
                                         CountCase{"CrLfAndLfAlike", "a\r\n\r\nb\n\nc\r\n", 3},
                                         CountCase{"WindowsFindOutput", "\r\n---------- CHECK_01.TXT\r\n", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// grep looks for the program's own file name too, as a fixed string quoted
// for the shell (real grep runs such names in the report frame's table); a
// name that grep would split into patterns (an empty one matches every line)
// is left out.
TEST(FindCommand, LeavesOutANameGrepWouldSplit) {
    const auto patterns = [](std::string_view path) {
        const std::string find = check_commands(path).find.line;
        const std::size_t start = find.find("-e ");
        return find.substr(start, find.find(" check_01.txt") - start);
    };
    EXPECT_EQ(patterns("/x/"), "-e '.exe'");
    EXPECT_EQ(patterns("www.a\nb"), "-e '.exe'");
}

TEST_F(InScratchDirectory, ChecksCleanUpOnlyBeforeSortAndFindAndLeaveTheirFiles) {
    write_file("check_01.txt", "old listing\n");
    write_file("check_02.txt", "old\nsorted\n");
    write_file("check_notes.txt", "mine\n");
    ScriptedShell shell;
    make_tools_work(shell);
    FakeConsole console({}, {}, false);

    EXPECT_TRUE(run_prerequisite_checks(console, shell, program));

    EXPECT_EQ(console.lines(), passed_lines);
    const CheckCommands commands = check_commands(program);
    // Which check files were there as each command started.
    const std::vector<std::string> expected{
        std::string(commands.listing_a.line) + " 01 02",  // nothing removed before the cmd check
        std::string(commands.listing_a.line),             // clean-up before sort
        std::string(commands.sort.line) + " 01",
        std::string(commands.listing_b.line),  // clean-up before find
        std::string(commands.find.line) + " 01",
    };
    EXPECT_EQ(shell.calls, expected);
    EXPECT_EQ(content_of("check_01.txt"), "total 8\r\n.\r\n..\r\nwww.x.exe\r\n");
    EXPECT_EQ(content_of("check_02.txt"), "\r\n---------- CHECK_01.TXT\r\nwww.x.exe\r\n");
    EXPECT_EQ(content_of("check_notes.txt"), "mine\n");
}

// Every command gives nothing the first time, as when its process could not
// be started on a busy machine: each check runs its commands again and passes.
TEST_F(InScratchDirectory, ChecksRunAgainWhenTheirOutputIsMissing) {
    ScriptedShell shell;
    make_tools_work(shell);
    for (auto& [command_line, effect] : shell.effects) {
        effect = [effect = effect, first = true]() mutable {
            if (!std::exchange(first, false)) {
                effect();
            }
        };
    }
    FakeConsole console({}, {}, false);

    EXPECT_TRUE(run_prerequisite_checks(console, shell, program));

    EXPECT_EQ(console.lines(), passed_lines);
    EXPECT_EQ(shell.calls.size(), 10U);
}

struct FailureCase {
    const char* name;
    // The command line (by role) that misbehaves, and what it writes instead.
    CheckCommand CheckCommands::*role;
    std::function<void()> effect;
    bool stale_files;
    const char* failing_tool;
    std::size_t commands_run;
    bool program_here = true;
    const char* cause = "";  // the line before the tool's
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class FailedCheck : public InScratchDirectory, public testing::WithParamInterface<FailureCase> {};

TEST_P(FailedCheck, NamesTheToolAndEndsOnlyOn9) {
    const FailureCase& failure = GetParam();
    if (failure.stale_files) {
        write_file("check_01.txt", "old listing\n");
        write_file("check_02.txt", std::string(50, '\n') + "1\n2\n3\n4\n5\n");
    }
    if (failure.program_here) {
        write_file("www.x.exe", "");
    }
    ScriptedShell shell;
    make_tools_work(shell);
    shell.effects[std::string((check_commands(program).*failure.role).line)] = failure.effect;
    const std::string arrow_up = std::string(1, '\xFF') + 'H';
    FakeConsole console({"x", "1", "2", arrow_up, "9", "left over"}, {}, false);

    EXPECT_FALSE(run_prerequisite_checks(console, shell, program));

    const std::string tool = failure.failing_tool;
    std::vector<std::string> expected(passed_lines.begin(),
                                      std::find(passed_lines.begin(), passed_lines.end(), tool) + 1);
    if (*failure.cause != '\0') {
        expected.emplace_back(failure.cause);
    }
    expected.insert(expected.end(), {"Check availability " + tool + ".exe.",
                                     "Most likely it is necessary to updated the system path variable.", "<9> end"});
    EXPECT_EQ(console.lines(), expected);
    EXPECT_EQ(console.keys_left(), 1U) << "the wait ends on the 9 and on nothing before it";
    EXPECT_EQ(shell.calls.size(), failure.commands_run);
}

auto does_nothing() {
    return [] {};
}

INSTANTIATE_TEST_SUITE_P(
    Tools, FailedCheck,
    testing::Values(
        FailureCase{"NoShell", &CheckCommands::listing_a, does_nothing(), false, "cmd", 3},
        FailureCase{"EmptyListing", &CheckCommands::listing_a, writes("check_01.txt", "\n  \n"), false, "cmd", 3},
        // An old listing lets the cmd check pass; the clean-up then takes it.
        FailureCase{"NoShellOldListing", &CheckCommands::listing_a, does_nothing(), true, "sort", 7},
        FailureCase{"NoSort", &CheckCommands::sort, does_nothing(), true, "sort", 7},
        FailureCase{"SortOfOneLine", &CheckCommands::sort, writes("check_02.txt", "\r\nonly\r\n"), false, "sort", 7},
        FailureCase{"NoFind", &CheckCommands::find, does_nothing(), true, "find", 9},
        FailureCase{"FindWithoutMatch", &CheckCommands::find, writes("check_02.txt", "\r\n---------- CHECK_01.TXT\r\n"),
                    true, "find", 9},
        FailureCase{"NotInItsFolder", &CheckCommands::find, writes("check_02.txt", "\r\n---------- CHECK_01.TXT\r\n"),
                    false, "find", 9, false,
                    "The current folder does not hold the program: it is meant to be started in its own folder."}),
    [](const auto& info) { return std::string(info.param.name); });

// What is at a check file's name when the real runner opens it, as if
// planted between the clean-up and the open: the command's output goes into
// a file of the folder's own or nowhere, and the user's file outside stays.
struct AtTheOpen {
    const char* name;
    void (*plant)(const fs::path& outside, const fs::path& check_file);
    std::string problem;
    std::string check_file_after;  // what the check file holds afterwards
};

void PrintTo(const AtTheOpen& c, std::ostream* out) { *out << c.name; }

class CommandOutput : public InScratchDirectory, public testing::WithParamInterface<AtTheOpen> {};

TEST_P(CommandOutput, GoesIntoAFileOfTheFoldersOwnOnly) {
    const fs::path outside = fs::absolute("elsewhere") / "own.txt";
    fs::create_directory(outside.parent_path());
    write_file(outside, "the user's own\n");
    GetParam().plant(outside, "check_01.txt");
    const bool outside_was_there = fs::exists(outside);

    SystemCommandRunner runner;
    EXPECT_EQ(runner.run({"echo written", "check_01.txt"}), GetParam().problem);

    EXPECT_EQ(fs::exists(outside), outside_was_there) << "nothing made outside";
    if (outside_was_there) {
        EXPECT_EQ(content_of(outside), "the user's own\n");
    }
    EXPECT_EQ(content_of("check_01.txt"), GetParam().check_file_after);
}

INSTANTIATE_TEST_SUITE_P(
    Planted, CommandOutput,
    testing::Values(
        AtTheOpen{"PlainFile", [](const fs::path&, const fs::path& file) { write_file(file, "old listing, longer\n"); },
                  "", "written\n"},
        AtTheOpen{"Symlink", [](const fs::path& outside, const fs::path& file) { fs::create_symlink(outside, file); },
                  "cannot be written in this folder: Too many levels of symbolic links", "the user's own\n"},
        AtTheOpen{"DanglingSymlink",
                  [](const fs::path& outside, const fs::path& file) {
                      fs::remove(outside);
                      fs::create_symlink(outside, file);
                  },
                  "cannot be written in this folder: Too many levels of symbolic links", ""},
        AtTheOpen{"HardLink",
                  [](const fs::path& outside, const fs::path& file) { fs::create_hard_link(outside, file); },
                  "cannot be used: it is not a file of its own", "the user's own\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sumwright
