#include "dialogue/web_link.h"

#include <array>

#include "text/ascii_text.h"

namespace sumwright {
namespace {

struct SiteMarker {
    std::string_view marker;
    std::string_view link_prefix;
};

// In the order they are searched: the first kind found wins, wherever it is.
constexpr std::array<SiteMarker, 3> site_markers{{
    {"www.", "http://www."},
    {"http.", "http://"},
    {"https.", "https://"},
}};

}  // namespace

std::optional<WebLink> derive_web_link(std::string_view argument0) {
    // The name without spaces around it and without its ".exe", if it has one.
    std::string name(trim_spaces(argument0));
    constexpr std::string_view extension = ".exe";
    lower_case(name);
    if (name.ends_with(extension)) {
        name.resize(name.size() - extension.size());
    }
    for (const auto& [marker, link_prefix] : site_markers) {
        auto position = name.find(marker);
        if (position == std::string::npos) {
            continue;
        }
        std::string tail;
        while (position != std::string::npos) {
            tail = name.substr(position);
            name.erase(0, position + marker.size());
            position = name.find(marker);
        }
        WebLink link;
        link.web_link = std::string(link_prefix) + name;
        link.link_program_name = std::string(trim_spaces(tail)) + ".exe";
        return link;
    }
    return std::nullopt;
}

}  // namespace sumwright
