#include "report/report_frame.h"

#include <string>

namespace sumwright {
namespace {

constexpr ReportTexts subtotal_texts{
    "swr_subtotal.htm",
    "----- selecting cells for multilevel sum -----",
    "Output file = swr_subtotal.htm",
    "<b> SUMWRIGHT SUBTOTAL </b>",
    "Program for creating multi-level subtotal() formulas in MS Excel compatible tables.",
    "This document was created using sumwright_free.exe program.",
    "------------------------------",
    "Output file = swr_subtotal.htm",
};

constexpr ReportTexts sumif_01_texts{
    "swr_sumif_01.htm",
    "----- selecting cells for sumif()_01 -----",
    "Output file = swr_sumif_01.htm",
    "<b> SUMWRIGHT SUMIF_01 </b>",
    "Program for creating sumif() formulas in MS Excel compatible tables.",
    "This document was created using the sumwright_free.exe program.",
    "-------------------------------",
    "Output files = swr_sumif_01.htm",
};

constexpr ReportTexts sumif_02_texts{
    "swr_sumif_02.htm",
    "----- selecting cells for sumif()_02 -----",
    "Output files = swr_sumif_02.htm",
    "<b> SUMWRIGHT SUMIF_02 </b>",
    "Program for creating sumif() formulas in MS Excel compatible tables.",
    "This document was created using the sumwright_free.exe program.",
    "-------------------------------",
    "Output files = swr_sumif_02.htm",
};

void write_advertising_block(LineSink& report) {
    report.write_line(R"(<p style="font-size:110%" >)");
    report.write_line("<br> <b> PROMOTE YOUR BRAND WITH OUR PROGRAM </b>");
    report.write_line("<br>");
    report.write_line("<br> This space is reserved for your advertising message and web links.");
    report.write_line("<br> The advertising message is limited to 10 lines or 500 characters.");
    report.write_line("<br> The program is tailored individually for each client.");
    report.write_line("<br>");
    report.write_text("<br> More info: ");
    report.write_text("<a href=\"");
    report.write_text(information_page);
    report.write_text("\">");
    report.write_text(information_page);
    report.write_line("</a>");
    report.write_line("<br>");
    report.write_line("</p>");
    report.write_line("<br>");
}

void write_product_block(LineSink& report, const ReportTexts& texts, std::string_view web_link,
                         std::string_view link_program_name) {
    report.write_line(R"(<p style="font-size:100%" >)");
    report.write_line(texts.heading_line);
    report.write_line("<br>");
    report.write_line(texts.description_line);
    report.write_line("<br>");
    report.write_line("<br>");
    report.write_line(texts.creator_line);
    report.write_line("<br>");
    report.write_line("<br>");
    report.write_verbatim_line("Useful link added by the program " + std::string(link_program_name) + ":");
    report.write_line("<br>");
    report.write_verbatim_line("<a href=\"" + std::string(web_link) + "\">" + std::string(web_link) + "</a>");
    report.write_line("</p>");
    report.write_line("<br>");
}

}  // namespace

const ReportTexts& report_texts(ReportKind kind) {
    switch (kind) {
        case ReportKind::subtotal:
            return subtotal_texts;
        case ReportKind::sumif_01:
            return sumif_01_texts;
        case ReportKind::sumif_02:
            break;
    }
    return sumif_02_texts;
}

void write_report_opening(LineSink& console, ReportKind kind) {
    const ReportTexts& texts = report_texts(kind);
    console.write_line("");
    console.write_line(texts.section_title);
    console.write_line(texts.opening_line);
    console.write_line("");
}

void write_report_head(LineSink& report, ReportKind kind, std::string_view web_link,
                       std::string_view link_program_name) {
    report.write_line("<html>");
    report.write_line("<head>");
    report.write_line(R"(<meta http-equiv="Content-Type" content="text/html">)");
    report.write_line("<title>SUMWRIGHT</title>");
    report.write_line("</head>");
    report.write_line("<body>");
    write_advertising_block(report);
    write_product_block(report, report_texts(kind), web_link, link_program_name);
}

void write_report_end(LineSink& report) {
    report.write_line("</body>");
    report.write_line("</html>");
}

void write_closing_notice(LineSink& console, ReportKind kind) {
    const ReportTexts& texts = report_texts(kind);
    console.write_line("");
    console.write_line(texts.closing_dash_line);
    console.write_line(texts.closing_file_line);
    console.write_line("");
}

}  // namespace sumwright
