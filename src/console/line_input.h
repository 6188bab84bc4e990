#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace sumwright {

// Splits a byte stream into lines. A line feed ends a line; a carriage
// return right before it is dropped with it; a last line without a line feed
// is still a line. A line longer than the limit keeps only its beginning, so a
// stream without line feeds cannot exhaust memory.
class LineInput {
public:
    // Reads at most `size` bytes into `buffer` and returns how many it read;
    // 0 means the stream has ended.
    using Reader = std::function<std::size_t(char* buffer, std::size_t size)>;

    static constexpr std::size_t line_limit = std::size_t{16} << 20U;

    explicit LineInput(Reader reader) : reader_(std::move(reader)) {}

    // The next line without its line end; nothing once the stream has ended.
    std::optional<std::string> next_line();

private:
    bool fill();

    Reader reader_;
    std::string buffer_;
    bool ended_ = false;
};

}  // namespace sumwright
