#include "dialogue/check_commands.h"

namespace sumwright {
namespace {

constexpr std::string_view check_01 = "check_01.txt";
constexpr std::string_view check_02 = "check_02.txt";

// The spacing differs on purpose between the two listings and around the
// find redirection; the lines are issued exactly as they stand.
constexpr CheckCommands win32_commands{
    .listing_a = {"cmd /c dir  > check_01.txt", check_01},
    .listing_b = {"cmd /c dir > check_01.txt", check_01},
    .sort = {"cmd /c sort check_01.txt /o check_02.txt", check_02},
    .find = {"cmd /c find /i \".exe\" check_01.txt >  check_02.txt", check_02},
};

}  // namespace

const CheckCommands& check_commands() { return win32_commands; }

}  // namespace sumwright
