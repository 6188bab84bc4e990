// Stand-in for the Windows find.exe, for tests under Wine (whose find rejects
// /i). It does what find.exe does for `find [/i] [/v] "TEXT" FILE...`: for
// every file an empty line and "---------- " with the file name in capitals,
// then the lines that hold the text (or, with /v, that do not), all ending
// in CR LF. Exit status 0 when a line was written, 1 when none was, 2 on an
// error.

#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
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

void write(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

struct Search {
    std::string text;
    bool ignore_case = false;
    bool invert = false;

    [[nodiscard]] bool matches(const std::string& line) const {
        const bool found =
            ignore_case ? upper(line).find(upper(text)) != std::string::npos : line.find(text) != std::string::npos;
        return found != invert;
    }
};

// Writes the matching lines of one stream; true when there was one.
bool search_stream(std::istream& in, const Search& search) {
    bool any = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (search.matches(line)) {
            write(line);
            write("\r\n");
            any = true;
        }
    }
    return any;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Search search;
    bool have_text = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::string option = upper(argument);
        if (option == "/I") {
            search.ignore_case = true;
        } else if (option == "/V") {
            search.invert = true;
        } else if (!argument.empty() && argument[0] == '/') {
            std::cerr << "FIND: Parameter format not correct\r\n";
            return 2;
        } else if (!have_text) {
            search.text = argument;
            have_text = true;
        } else {
            files.push_back(argument);
        }
    }
    if (!have_text) {
        std::cerr << "FIND: Parameter format not correct\r\n";
        return 2;
    }

    if (files.empty()) {
        return search_stream(std::cin, search) ? 0 : 1;
    }
    bool any = false;
    bool failed = false;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << "File not found - " << upper(file) << "\r\n";
            failed = true;
            continue;
        }
        write("\r\n---------- " + upper(file) + "\r\n");
        any = search_stream(in, search) || any;
    }
    if (failed) {
        return 2;
    }
    return any ? 0 : 1;
}
