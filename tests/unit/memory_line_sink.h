#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/line_sink.h"

namespace sumwright {

// Collects whole lines in memory, for tests that look at the lines written.
class MemoryLineSink final : public LineSink {
public:
    void write_text(std::string_view text) override { pending_ += text; }
    void write_line(std::string_view text) override {
        pending_ += text;
        lines_.push_back(std::move(pending_));
        pending_.clear();
    }

    [[nodiscard]] const std::vector<std::string>& lines() const { return lines_; }

private:
    std::string pending_;
    std::vector<std::string> lines_;
};

}  // namespace sumwright
