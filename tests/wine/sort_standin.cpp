// Stand-in for the Windows sort.exe, for tests under Wine (which has none).
// It does what sort.exe does for `sort FILE /o OUTPUT` and `sort [/r]` on
// standard input: the lines in ascending order, letters compared without
// regard to case, each written with CR LF.

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

std::vector<std::string> lines_of(std::istream& in) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

int usage_error(const std::string& argument) {
    std::cerr << "Invalid switch. - " << argument << "\r\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::string input_path;
    std::string output_path;
    bool reverse = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::string option = upper(argument);
        if (option == "/O" || option == "/OUTPUT") {
            if (++i == argc) {
                return usage_error(argument);
            }
            output_path = argv[i];
        } else if (option == "/R" || option == "/REVERSE") {
            reverse = true;
        } else if (!argument.empty() && argument[0] == '/') {
            return usage_error(argument);
        } else if (input_path.empty()) {
            input_path = argument;
        } else {
            return usage_error(argument);
        }
    }

    std::vector<std::string> lines;
    if (input_path.empty()) {
        lines = lines_of(std::cin);
    } else {
        std::ifstream in(input_path, std::ios::binary);
        if (!in) {
            std::cerr << "The system cannot find the file specified.\r\n";
            return 1;
        }
        lines = lines_of(in);
    }
    std::stable_sort(lines.begin(), lines.end(), [reverse](const std::string& a, const std::string& b) {
        return reverse ? upper(b) < upper(a) : upper(a) < upper(b);
    });

    std::ostringstream sorted;
    for (const auto& line : lines) {
        sorted << line << "\r\n";
    }
    if (output_path.empty()) {
        std::fwrite(sorted.str().data(), 1, sorted.str().size(), stdout);
        return 0;
    }
    std::ofstream out(output_path, std::ios::binary | std::ios::trunc);
    out << sorted.str();
    return out ? 0 : 1;
}
