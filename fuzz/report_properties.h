#pragma once

// Writes a report through the real report file, in a scratch directory, and
// checks what every report must be: CR LF after every line and nowhere else,
// the frame around the body, and a body of the expected number of lines.

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "report/report_file.h"
#include "report/report_frame.h"
#include "text/ascii_text.h"

namespace sumwright::fuzz {

inline constexpr std::size_t frame_head_lines = 31;
inline constexpr std::size_t frame_end_lines = 2;

// Made on first use and removed when the fuzzer exits. In memory where the
// machine has /dev/shm: replacing a file on a real disk starts a write-back
// each time, which would make the fuzzer wait on the disk.
inline const char* scratch_directory() {
    static char directory[] = "/dev/shm/sumwright-fuzz-XXXXXX";
    static const bool made = [] {
        if (::mkdtemp(directory) == nullptr) {
            std::strcpy(directory, "/tmp/sumwright-fuzz-XXXXXX");  // shorter than the first
            FUZZ_CHECK(::mkdtemp(directory) != nullptr, "a scratch directory can be made");
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(directory, ignored);
        });
        return true;
    }();
    static_cast<void>(made);
    return directory;
}

// The report file's bytes after a whole run of the frame and `write_body`.
template <typename BodyWriter>
std::string written_report(ReportKind kind, BodyWriter write_body) {
    const std::string path = std::string(scratch_directory()) + "/" + std::string(report_texts(kind).file_name);
    std::string reason;
    auto report = ReportFile::open(path, reason);
    FUZZ_CHECK(report != nullptr, reason.c_str());
    write_report_head(*report, kind, "http://www.example.com", "www.example.com.exe");
    write_body(*report);
    write_report_end(*report);
    FUZZ_CHECK(report->finish(reason), reason.c_str());
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

inline void check_report(const std::string& report, std::size_t body_lines) {
    FUZZ_CHECK(report.ends_with("\r\n"), "the last line ends with CR LF");
    std::size_t lines = 0;
    for (std::size_t i = 0; i < report.size(); ++i) {
        if (report[i] == '\n') {
            FUZZ_CHECK(i > 0 && report[i - 1] == '\r', "every line feed follows a carriage return");
            ++lines;
        }
    }
    FUZZ_CHECK(lines == frame_head_lines + body_lines + frame_end_lines, "the body has its fixed length");
    FUZZ_CHECK(report.starts_with("<html>\r\n<head>\r\n"), "the report begins with its head");
    FUZZ_CHECK(report.ends_with("\r\n</body>\r\n</html>\r\n"), "the report ends with its end");
}

// Answers that differ from `answers` only in the case of the column answers
// (`columns`, members of the answers) give the same report.
template <typename Answers, typename ReportOf, typename... Columns>
void check_case_blind(const Answers& answers, const std::string& report, ReportOf report_of, Columns... columns) {
    for (void (*change)(std::string&) : {lower_case, upper_case}) {
        Answers recased = answers;
        (change(recased.*columns), ...);
        FUZZ_CHECK(report_of(recased) == report, "answers in another case give the same report");
    }
}

}  // namespace sumwright::fuzz
