#pragma once

// The expected report files of the worked examples (tests/data), read as the
// body lines a generator writes into a MemoryLineSink.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace sumwright {

inline constexpr std::size_t golden_frame_lines = 31;

// A line of the file as the generator wrote it: the report file turns an "&"
// that a browser would decode into "&amp;", a MemoryLineSink does not. As the
// file protects every "&" that begins "amp;", turning each "&amp;" back into
// "&" gives exactly the line before protection.
inline std::string unprotected(std::string_view line) {
    std::string text;
    for (std::size_t at = 0; at < line.size();) {
        text += line[at];
        at += line.substr(at).starts_with("&amp;") ? 5 : 1;
    }
    return text;
}

// The body of tests/data/<name>.htm: the lines after the frame's first 31, up
// to "</body>", unprotected.
inline std::vector<std::string> golden_body(const std::string& name) {
    const std::string path = std::string(SUMWRIGHT_TEST_DATA_DIR) + "/" + name + ".htm";
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(bytes.ends_with("\r\n</body>\r\n</html>\r\n")) << path << " is not a whole report file";
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(unprotected(std::string_view(bytes).substr(start, end - start)));
    }
    if (lines.size() < golden_frame_lines + 2) {
        ADD_FAILURE() << path << " holds only " << lines.size() << " lines";
        return {};
    }
    return {lines.begin() + golden_frame_lines, lines.end() - 2};
}

}  // namespace sumwright
