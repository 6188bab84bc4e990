#include "dialogue/check_commands.h"

namespace sumwright {
namespace {

constexpr std::string_view check_01 = "check_01.txt";
constexpr std::string_view check_02 = "check_02.txt";

// The find line writes the empty line and the header that the Windows find
// writes before its matches, so the same thresholds hold on both platforms.
constexpr CheckCommands posix_commands{
    .listing_a = {"ls -la", check_01},
    .listing_b = {"ls -la", check_01},
    .sort = {"sort check_01.txt", check_02},
    .find = {"{ echo; echo '---------- CHECK_01.TXT'; grep -i -F '.exe' check_01.txt; }", check_02},
};

}  // namespace

const CheckCommands& check_commands() { return posix_commands; }

}  // namespace sumwright
