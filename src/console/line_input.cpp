#include "console/line_input.h"

#include <algorithm>
#include <array>

namespace sumwright {

bool LineInput::fill() {
    if (ended_) {
        return false;
    }
    std::array<char, 65536> chunk{};
    const std::size_t count = reader_(chunk.data(), chunk.size());
    if (count == 0) {
        ended_ = true;
        return false;
    }
    buffer_.append(chunk.data(), count);
    return true;
}

std::optional<std::string> LineInput::next_line() {
    std::size_t searched = 0;
    bool truncated = false;
    for (;;) {
        const std::size_t end = buffer_.find('\n', searched);
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, std::min(end, line_limit));
            buffer_.erase(0, end + 1);
            if (!truncated && !line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        if (buffer_.size() > line_limit) {
            // Keep the beginning of an overlong line, drop the rest as it comes.
            buffer_.resize(line_limit + 1);
            truncated = true;
        }
        searched = buffer_.size();
        if (!fill()) {
            if (buffer_.empty()) {
                return std::nullopt;
            }
            std::string line = std::move(buffer_);
            buffer_.clear();
            line.resize(std::min(line.size(), line_limit));
            return line;
        }
    }
}

}  // namespace sumwright
