#include "dialogue/check_commands.h"

#include <utility>

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

// What find looks for: ".exe", and the program's file name unless it is
// empty or holds a line feed (grep would take its pieces, an empty one
// matching every line, for patterns of their own).
std::vector<std::string> find_texts(std::string_view program_path) {
    std::vector<std::string> texts{".exe"};
    const std::string_view file_name = program_path.substr(program_path.find_last_of('/') + 1);
    if (!file_name.empty() && file_name.find('\n') == std::string_view::npos) {
        texts.emplace_back(file_name);
    }
    return texts;
}

std::string grep_patterns(const std::vector<std::string>& texts) {
    std::string patterns;
    for (const std::string& text : texts) {
        patterns += (patterns.empty() ? "-e " : " -e ") + shell_quoted(text);
    }
    return patterns;
}

}  // namespace

// The find line writes the empty line and the header that the Windows find
// writes before its matches, so the same thresholds hold on both platforms.
CheckCommands check_commands(std::string_view program_path) {
    std::vector<std::string> texts = find_texts(program_path);
    std::string patterns = grep_patterns(texts);
    return {
        .listing_a = {"ls -la", check_01},
        .listing_b = {"ls -la", check_01},
        .sort = {"sort check_01.txt", check_02},
        .find = {"{ echo; echo '---------- CHECK_01.TXT'; grep -a -i -F " + patterns + " check_01.txt; }", check_02},
        .find_texts = std::move(texts),
    };
}

}  // namespace sumwright
