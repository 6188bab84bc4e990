#include "dialogue/prerequisite_checks.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "console/key_wait.h"
#include "dialogue/check_commands.h"
#include "dialogue/file_removal.h"
#include "text/ascii_text.h"

namespace sumwright {
namespace {

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

// Why a check could not pass: a check file that cannot be used at all stops
// the checks at once; one that a command could not write is the cause of a
// failed check.
struct CheckFiles {
    std::string unusable;
    std::string cause;
};

// Runs a command that writes a check file, after clearing its name of links.
// False when the check file cannot be used at all.
bool run_writing(CommandRunner& shell, const CheckCommand& command, CheckFiles& files) {
    if (std::string problem = clear_check_file(command.output); !problem.empty()) {
        files.unusable = std::string(command.output) + " cannot be used: " + problem;
        return false;
    }
    if (std::string problem = shell.run(command); !problem.empty()) {
        files.cause = std::string(command.output) + " " + problem;
    }
    return true;
}

// Removes the program's own two check files, and nothing else of the
// user's. True when neither is left, so that an old check_02.txt cannot
// stand in for fresh output.
bool remove_check_files(CheckFiles& files) {
    bool removed = true;
    for (const std::string_view name : {check_01, check_02}) {
        if (std::string problem = clear_check_file(name); !problem.empty()) {
            files.unusable = std::string(name) + " cannot be used: " + problem;
            return false;
        }
        if (!remove_file(name)) {
            files.cause = std::string(name) + " cannot be removed from this folder";
            removed = false;
        }
    }
    return removed;
}

bool listing_made(CommandRunner& shell, const CheckCommand& listing, CheckFiles& files) {
    for (int attempt = 0; attempt < check_attempts; ++attempt) {
        files.cause.clear();
        if (!run_writing(shell, listing, files)) {
            return false;
        }
        if (count_nonblank_lines(check_01) >= 1) {
            return true;
        }
    }
    return false;
}

bool tool_output_made(CommandRunner& shell, const CheckCommand& listing, const CheckCommand& tool_command,
                      CheckFiles& files) {
    for (int attempt = 0; attempt < check_attempts; ++attempt) {
        files.cause.clear();
        if (!remove_check_files(files) || !run_writing(shell, listing, files) ||
            !run_writing(shell, tool_command, files)) {
            return false;
        }
        if (count_nonblank_lines(check_02) >= 2) {
            return true;
        }
    }
    return false;
}

// Whether a name in the current folder holds one of the texts find looks
// for, in any case. A folder that cannot be read is taken to hold one.
bool folder_holds_a_program(std::vector<std::string> find_texts) {
    for (std::string& text : find_texts) {
        lower_case(text);
    }
    std::error_code error;
    for (std::filesystem::directory_iterator entry(".", error), end; !error && entry != end; entry.increment(error)) {
        const std::u8string utf8 = entry->path().filename().u8string();
        std::string name(utf8.begin(), utf8.end());
        lower_case(name);
        for (const std::string& text : find_texts) {
            if (name.find(text) != std::string::npos) {
                return true;
            }
        }
    }
    return static_cast<bool>(error);
}

bool fail(Console& console, std::string_view tool, const CheckFiles& files) {
    if (!files.unusable.empty()) {
        console.write_line(files.unusable);
    } else {
        if (!files.cause.empty()) {
            console.write_line(files.cause);
        }
        console.write_line("Check availability " + std::string(tool) + ".exe.");
        console.write_line("Most likely it is necessary to updated the system path variable.");
    }
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
    CheckFiles files;
    console.write_line("----------------------------------------------------------");
    console.write_line("Checking the presence of vital assistance programs of MS Windows system:");

    // A check_01.txt of an earlier run is left in place for this one.
    console.write_line("cmd");
    if (!listing_made(shell, commands.listing_a, files)) {
        return fail(console, "cmd", files);
    }

    console.write_line("sort");
    if (!tool_output_made(shell, commands.listing_a, commands.sort, files)) {
        return fail(console, "sort", files);
    }

    // The files are left behind: the listing and what find made of it.
    console.write_line("find");
    if (!tool_output_made(shell, commands.listing_b, commands.find, files)) {
        if (files.unusable.empty() && !folder_holds_a_program(commands.find_texts)) {
            files.cause = "The current folder does not hold the program: it is meant to be started in its own folder.";
        }
        return fail(console, "find", files);
    }
    return true;
}

}  // namespace sumwright
