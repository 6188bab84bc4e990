#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "text/line_sink.h"

namespace sumwright {

// A report being written. Lines go to a new file beside the report and end
// with CR LF; only `finish` puts that file in the report's place, so the
// previous report stays whole until the new one is complete, and an
// unfinished file is removed (also when the process is interrupted).
class ReportFile final : public LineSink {
public:
    // Nothing, and the system's reason, when no file can be created there.
    static std::unique_ptr<ReportFile> open(const std::string& name, std::string& reason);

    // False, and the system's reason, when the report of that name is one
    // the user may not write (on Windows: a read-only one), which is never
    // replaced. `finish` asks again.
    static bool may_replace(const std::string& name, std::string& reason);

    ReportFile(std::string name, std::FILE* stream, std::string temporary_path);
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ReportFile(ReportFile&&) = delete;
    ReportFile& operator=(ReportFile&&) = delete;
    ~ReportFile() override;

    void write_text(std::string_view text) override;
    // Writes the line so that a browser shows it as it stands.
    void write_line(std::string_view text) override;
    // Writes the line exactly as it is, for text that must not be changed.
    void write_verbatim_line(std::string_view text) override;
    [[nodiscard]] bool failed() const override { return write_error_ != 0; }

    // Flushes the file to the disk, closes it and puts it in the report's place. False,
    // and the system's reason, if any write, the close or the replacement
    // failed, or the report may no longer be replaced; the report's previous
    // content is then left as it was.
    bool finish(std::string& reason);

private:
    void write_bytes(std::string_view bytes);
    void hand_over_buffer();
    void discard();

    std::string name_;
    std::FILE* stream_;
    std::string temporary_path_;
    std::string pending_;
    // Bytes gathered for the stream, handed over in large blocks: a report
    // is written in millions of small pieces.
    std::string buffer_;
    int write_error_ = 0;
};

}  // namespace sumwright
