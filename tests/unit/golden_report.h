#pragma once

// The expected report files of the worked examples (tests/data), read as the
// body lines a generator writes into a MemoryLineSink, and the formulas of a
// body.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "memory_line_sink.h"
#include "scratch_directory.h"

namespace sumwright {

inline constexpr std::size_t golden_frame_lines = 31;

// The lines of a report file's bytes, each ended by CR LF.
inline std::vector<std::string> crlf_lines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

// The lines of tests/data/<name>.htm, a whole report file.
inline std::vector<std::string> golden_lines(const std::string& name) {
    const std::string path = std::string(SUMWRIGHT_TEST_DATA_DIR) + "/" + name + ".htm";
    const std::string bytes = content_of(path);
    EXPECT_TRUE(bytes.ends_with("\r\n</body>\r\n</html>\r\n")) << path << " is not a whole report file";
    std::vector<std::string> lines = crlf_lines(bytes);
    if (lines.size() < golden_frame_lines + 2) {
        ADD_FAILURE() << path << " holds only " << lines.size() << " lines";
        return {};
    }
    return lines;
}

// The body of tests/data/<name>.htm: the lines after the frame's first 31, up
// to "</body>". The worked examples hold no "&" that the report file escapes,
// so these are the lines exactly as a generator writes them.
inline std::vector<std::string> golden_body(const std::string& name) {
    const std::vector<std::string> lines = golden_lines(name);
    return lines.empty() ? lines : std::vector<std::string>(lines.begin() + golden_frame_lines, lines.end() - 2);
}

// The frame of tests/data/<name>.htm (of the program www.example.com.exe):
// its first 31 lines and "</body>" and "</html>".
inline std::vector<std::string> golden_frame(const std::string& name) {
    std::vector<std::string> lines = golden_lines(name);
    if (!lines.empty()) {
        lines.erase(lines.begin() + golden_frame_lines, lines.end() - 2);
    }
    return lines;
}

// The formula lines of a body in order: the line after a step line ending in
// "<br>", else the line after the empty one that follows it.
inline std::vector<std::string> formulas_of(const std::vector<std::string>& body) {
    std::vector<std::string> formulas;
    for (std::size_t i = 0; i + 2 < body.size(); ++i) {
        if (body[i].starts_with("step = ")) {
            formulas.push_back(body[body[i].ends_with("<br>") ? i + 1 : i + 2]);
        }
    }
    return formulas;
}

}  // namespace sumwright
