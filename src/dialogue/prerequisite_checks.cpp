#include "dialogue/prerequisite_checks.h"

#include <fstream>
#include <string>
#include <string_view>

#include "console/key_wait.h"
#include "dialogue/check_commands.h"
#include "dialogue/file_removal.h"

namespace sumwright {
namespace {

constexpr std::string_view check_01 = "check_01.txt";
constexpr std::string_view check_02 = "check_02.txt";

// A check whose output is missing runs its commands again before it fails:
// on a busy machine starting a process can fail for a moment (Wine's cmd then
// says it cannot recognise the command), and that is no reason to call the
// tool unavailable. A tool that is really missing fails every attempt.
constexpr int check_attempts = 3;

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
    const bool first_gone = remove_file(check_01);
    return remove_file(check_02) && first_gone;
}

bool listing_made(CommandRunner& shell, std::string_view listing) {
    for (int attempt = 0; attempt < check_attempts; ++attempt) {
        shell.run(std::string(listing));
        if (count_nonblank_lines(check_01) >= 1) {
            return true;
        }
    }
    return false;
}

bool tool_output_made(CommandRunner& shell, std::string_view listing, std::string_view tool_command) {
    for (int attempt = 0; attempt < check_attempts; ++attempt) {
        if (!remove_check_files()) {
            return false;
        }
        shell.run(std::string(listing));
        shell.run(std::string(tool_command));
        if (count_nonblank_lines(check_02) >= 2) {
            return true;
        }
    }
    return false;
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

bool run_prerequisite_checks(Console& console, CommandRunner& shell, std::string_view program_path) {
    const CheckCommands commands = check_commands(program_path);
    console.write_line("----------------------------------------------------------");
    console.write_line("Checking the presence of vital assistance programs of MS Windows system:");

    // A check_01.txt of an earlier run is left in place for this one.
    console.write_line("cmd");
    if (!listing_made(shell, commands.listing_a)) {
        return fail(console, "cmd");
    }

    console.write_line("sort");
    if (!tool_output_made(shell, commands.listing_a, commands.sort)) {
        return fail(console, "sort");
    }

    // The files are left behind: the listing and what find made of it.
    console.write_line("find");
    if (!tool_output_made(shell, commands.listing_b, commands.find)) {
        return fail(console, "find");
    }
    return true;
}

}  // namespace sumwright
