#include "dialogue/check_commands.h"

namespace sumwright {

// The spacing differs on purpose between the two listings and around the
// find redirection; the lines are issued exactly as they stand. A program
// on Windows carries ".exe" in its name, so find needs nothing else.
CheckCommands check_commands(std::string_view /*program_path*/) {
    return {
        .listing_a = {"cmd /c dir  > check_01.txt", check_01},
        .listing_b = {"cmd /c dir > check_01.txt", check_01},
        .sort = {"cmd /c sort check_01.txt /o check_02.txt", check_02},
        .find = {"cmd /c find /i \".exe\" check_01.txt >  check_02.txt", check_02},
        .find_texts = {".exe"},
    };
}

}  // namespace sumwright
