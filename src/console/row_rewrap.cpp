#include "console/row_rewrap.h"

#include <cstdlib>
#include <string_view>

namespace sumwright {
namespace {

bool set(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool terminal_rewraps_rows() {
    const char* kind = std::getenv("TERM");
    const bool linux_console = kind != nullptr && std::string_view(kind).starts_with("linux");
    const bool xterm_itself = set("XTERM_VERSION") && !set("TMUX") && !set("STY");
    return !linux_console && !xterm_itself;
}

}  // namespace sumwright
