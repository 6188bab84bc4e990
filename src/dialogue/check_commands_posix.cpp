#include "dialogue/check_commands.h"

namespace sumwright {
namespace {

// The text as one word of a POSIX shell line, taken literally: in single
// quotes, each single quote as '\''.
std::string shell_quoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string(R"('\'')") : std::string(1, c);
    }
    return quoted + "'";
}

// grep's patterns: ".exe", and the program's file name unless it is empty
// or holds a line feed (grep would take its pieces, an empty one matching
// every line, for patterns of their own).
std::string find_patterns(std::string_view program_path) {
    std::string patterns = "-e '.exe'";
    const std::string_view file_name = program_path.substr(program_path.find_last_of('/') + 1);
    if (!file_name.empty() && file_name.find('\n') == std::string_view::npos) {
        patterns += " -e " + shell_quoted(file_name);
    }
    return patterns;
}

}  // namespace

// The find line writes the empty line and the header that the Windows find
// writes before its matches, so the same thresholds hold on both platforms.
CheckCommands check_commands(std::string_view program_path) {
    return {
        .listing_a = "ls -la > check_01.txt",
        .listing_b = "ls -la > check_01.txt",
        .sort = "sort check_01.txt -o check_02.txt",
        .find = "{ echo; echo '---------- CHECK_01.TXT'; grep -a -i -F " + find_patterns(program_path) +
                " check_01.txt; } > check_02.txt",
    };
}

}  // namespace sumwright
