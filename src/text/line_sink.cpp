#include "text/line_sink.h"

#include "text/number_text.h"

namespace sumwright {

void LineSink::write_number_field(std::int64_t value) { write_line(number_field(value)); }

void MemoryLineSink::write_text(std::string_view text) { pending_ += text; }

void MemoryLineSink::write_line(std::string_view text) {
    pending_ += text;
    lines_.push_back(std::move(pending_));
    pending_.clear();
}

}  // namespace sumwright
