#include "dialogue/prerequisite_checks.h"

#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "console/key_wait.h"
#include "dialogue/check_commands.h"

namespace sumwright {
namespace {

constexpr std::string_view check_01 = "check_01.txt";
constexpr std::string_view check_02 = "check_02.txt";

bool line_counts(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line.find_first_not_of(' ') != std::string_view::npos;
}

// Removes the program's own two check files, and nothing else of the
// user's. True when neither is left, so that an old check_02.txt cannot
// stand in for fresh output.
bool remove_check_files() {
    bool all_gone = true;
    for (const std::string_view name : {check_01, check_02}) {
        std::error_code error;
        std::filesystem::remove(name, error);  // a file that is not there is no error
        all_gone = all_gone && !error;
    }
    return all_gone;
}

bool clean_up_and_run(CommandRunner& shell, std::string_view listing, std::string_view tool_command) {
    if (!remove_check_files()) {
        return false;
    }
    shell.run(std::string(listing));
    shell.run(std::string(tool_command));
    return true;
}

bool fail(Console& console, std::string_view tool) {
    console.write_line("Check availability " + std::string(tool) + ".exe.");
    console.write_line("Most likely it is necessary to updated the system path variable.");
    wait_for_key(console, {"<9> end"}, {"9"});
    return false;
}

}  // namespace

std::size_t count_nonblank_lines(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::size_t count = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (line_counts(line)) {
            ++count;
        }
    }
    return count;
}

bool run_prerequisite_checks(Console& console, CommandRunner& shell) {
    const CheckCommands& commands = check_commands();
    console.write_line("----------------------------------------------------------");
    console.write_line("Checking the presence of vital assistance programs of MS Windows system:");

    // A check_01.txt of an earlier run is left in place for this one.
    console.write_line("cmd");
    shell.run(std::string(commands.listing_a));
    if (count_nonblank_lines(check_01) < 1) {
        return fail(console, "cmd");
    }

    console.write_line("sort");
    if (!clean_up_and_run(shell, commands.listing_a, commands.sort) || count_nonblank_lines(check_02) < 2) {
        return fail(console, "sort");
    }

    // The files are left behind: the listing and what find made of it.
    console.write_line("find");
    if (!clean_up_and_run(shell, commands.listing_b, commands.find) || count_nonblank_lines(check_02) < 2) {
        return fail(console, "find");
    }
    return true;
}

}  // namespace sumwright
