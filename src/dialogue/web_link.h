#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sumwright {

// The link every report carries, taken from the program's own file name.
struct WebLink {
    std::string web_link;           // "http://www.abc.def"
    std::string link_program_name;  // "www.abc.def.exe"
};

// Works the link out of argument 0 as the program received it: trimmed of
// spaces, its ".exe" (in any case) dropped if it ends so, the rest
// lower-cased (A-Z only) and searched for
// "www.", then "http.", then "https."; the text after the last occurrence of
// the first kind found follows that marker's link prefix. Nothing when the
// name holds no marker.
std::optional<WebLink> derive_web_link(std::string_view argument0);

}  // namespace sumwright
