#pragma once

#include <cstdint>
#include <string_view>

namespace sumwright {

// Where lines go: the console or a report. A line may be written in pieces;
// the line end follows the last piece.
class LineSink {
public:
    LineSink() = default;
    LineSink(const LineSink&) = delete;
    LineSink& operator=(const LineSink&) = delete;
    LineSink(LineSink&&) = delete;
    LineSink& operator=(LineSink&&) = delete;
    virtual ~LineSink() = default;

    // Text continued on the same line by the next piece.
    virtual void write_text(std::string_view text) = 0;
    // Text followed by the line end.
    virtual void write_line(std::string_view text) = 0;
    // Text followed by the line end, placed exactly as it is even where a
    // sink would otherwise adapt it (a report protects "&" for browsers).
    virtual void write_verbatim_line(std::string_view text) { write_line(text); }
    // An integer as a number field (" 2", "-3") followed by the line end.
    void write_number_field(std::int64_t value);
    // The sink can take no more lines (a write has failed); writers of long
    // output stop early instead of composing lines that go nowhere.
    [[nodiscard]] virtual bool failed() const { return false; }
};

}  // namespace sumwright
