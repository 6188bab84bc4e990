#pragma once

#include <string_view>

#include "text/line_sink.h"

namespace sumwright {

// The three reports, one per kind of summation.
enum class ReportKind { subtotal, sumif_01, sumif_02 };

// What differs between the frames of the three reports.
struct ReportTexts {
    std::string_view file_name;
    std::string_view section_title;      // console, at the opening
    std::string_view opening_line;       // console, at the opening
    std::string_view heading_line;       // report
    std::string_view description_line;   // report
    std::string_view creator_line;       // report
    std::string_view closing_dash_line;  // console, closing notice
    std::string_view closing_file_line;  // console, closing notice
};

const ReportTexts& report_texts(ReportKind kind);

// The address of the maker's information page, named in every report.
inline constexpr std::string_view information_page = "https://www.sumwright.example.com/info.htm";

// Console, before the questions: an empty line, the section title, the
// opening line naming the report file and an empty line.
void write_report_opening(LineSink& console, ReportKind kind);

// Report lines 1 to 31: head, advertising block and product block. The two
// link lines are placed verbatim.
void write_report_head(LineSink& report, ReportKind kind, std::string_view web_link,
                       std::string_view link_program_name);

// "</body>" and "</html>".
void write_report_end(LineSink& report);

// Console, after the report is in place.
void write_closing_notice(LineSink& console, ReportKind kind);

}  // namespace sumwright
