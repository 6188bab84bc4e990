#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/line_sink.h"

namespace sumwright {

// Collects whole lines in memory, for tests that look at the lines written;
// given a limit, it fails as a full disk does once it holds that many.
class MemoryLineSink final : public LineSink {
public:
    MemoryLineSink() = default;
    explicit MemoryLineSink(std::size_t limit) : limit_(limit) {}

    void write_text(std::string_view text) override { pending_ += text; }
    void write_line(std::string_view text) override {
        pending_ += text;
        lines_.push_back(std::move(pending_));
        pending_.clear();
    }

    [[nodiscard]] bool failed() const override { return lines_.size() >= limit_; }
    [[nodiscard]] const std::vector<std::string>& lines() const { return lines_; }

private:
    std::size_t limit_ = std::numeric_limits<std::size_t>::max();
    std::string pending_;
    std::vector<std::string> lines_;
};

}  // namespace sumwright
