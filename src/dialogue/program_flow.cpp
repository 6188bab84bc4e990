#include "dialogue/program_flow.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "console/key_wait.h"
#include "dialogue/prerequisite_checks.h"
#include "dialogue/web_link.h"
#include "generators/subtotal_generator.h"
#include "generators/sumif_01_generator.h"
#include "generators/sumif_02_generator.h"
#include "report/report_file.h"
#include "report/report_frame.h"

namespace sumwright {
namespace {

constexpr int status_done = 0;
constexpr int status_failed = 1;

constexpr std::string_view rule_of_equals = "================================================================";
constexpr std::string_view rule_of_28_dashes = "----------------------------";
constexpr std::string_view rule_of_58_dashes = "----------------------------------------------------------";
constexpr std::string_view information_line = "Info: https://www.sumwright.example.com";
constexpr std::string_view formula_separator = ";";

// "sumwright_01_012.exe": the module name with "exe" for its extension.
std::string exe_name() { return std::string(module_name.substr(0, module_name.size() - 3)) + "exe"; }

void show_banner(Console& console, std::string_view program_path) {
    console.write_line("");
    console.write_line(module_name);
    console.write_line("");
    console.write_line(program_path);
    console.write_line(rule_of_equals);
    console.write_line("");
    console.write_line("Sumwright");
    console.write_line("Program for creating multilevel subtotal() and sumif() formulas.");
    console.write_line("");
    console.write_line("Program name: " + exe_name());
    console.write_line("Copyright (c) 2026 the Sumwright developers. All rights reserved.");
    console.write_line("");
    console.write_line("Terms of use:");
    for (int line = 14; line <= 21; ++line) {
        console.write_line("");
    }
    console.write_line(information_line);
    console.write_line(rule_of_equals);
    console.write_line("Do you accept terms of service ?");
    console.write_line("");
}

bool accept_terms(Console& console) {
    return wait_for_key(console, {"<1> yes and continue", "<2> no and end"}, {"1", "2"}) == "1";
}

bool confirm_separate_directory(Console& console) {
    console.write_line("");
    console.write_line("--------- PROGRAM MUST RUN IN SEPARATE DIRECTORY ---------");
    console.write_line("");
    console.write_line("Program must run in separate directory.");
    console.write_line("During execution it will delete most *.txt, and other files.");
    console.write_line(rule_of_58_dashes);
    console.write_line("");
    return wait_for_key(console, {"<1> yes and continue", "<2> no  and end"}, {"1", "2"}) == "1";
}

ReportKind choose_summation(Console& console) {
    console.write_line("");
    console.write_line(rule_of_28_dashes);
    console.write_line("");
    console.write_line("The program can create Excel formulas for three (3) types of summation in a table:");
    console.write_line("- multilevel subtotal");
    console.write_line("- sumif() variant 01");
    console.write_line("- sumif() variant 02");
    console.write_line(rule_of_28_dashes);
    console.write_line("");
    const std::string key = wait_for_key(
        console, {"<1> multilevel subtotal", "<2> sumif() variant 01", "<3> sumif() variant 02"}, {"1", "2", "3"});
    if (key == "1") {
        return ReportKind::subtotal;
    }
    return key == "2" ? ReportKind::sumif_01 : ReportKind::sumif_02;
}

void show_rename_notice(Console& console) {
    console.write_line("");
    console.write_line(rule_of_28_dashes);
    console.write_line("The program creates web link to (your) website, which is summarized from the program name.");
    console.write_line(
        "Therefore, you must rename the program according to the name of (your) website, but the condition is "
        "that the");
    console.write_line(
        "new program name begins with www...(like www.example.com), http...(like http.example.org, or "
        "https...(like https.example.net)");
    console.write_line("BE CAREFUL AND COPY AND RENAME THE PROGRAM ACCORDING TO THE INSTRUCTIONS!");
    console.write_line(information_line);
    console.write_line(rule_of_28_dashes);
    console.write_line("");
    wait_for_key(console, {"<1> = continue and end"}, {"1"});
}

// Module name, program path and web link; nothing when the program name
// holds no site marker (the rename notice has then been shown).
std::optional<WebLink> run_branch_preamble(Console& console, std::string_view program_path) {
    console.write_line(module_name);
    console.write_line("");
    console.write_line(program_path);
    std::optional<WebLink> link = derive_web_link(program_path);
    if (!link) {
        show_rename_notice(console);
        return std::nullopt;
    }
    console.write_line(link->web_link);
    console.write_line(link->link_program_name);
    return link;
}

// The answers to one kind of report's questions (its texts are those of
// report_texts(kind)), ready to be written as the report's body, or why no
// report can be written with them.
struct AskedReport {
    std::optional<std::string> problem;
    std::function<void(LineSink&)> write_body;
};

AskedReport ask_questions(Console& console, ReportKind kind) {
    switch (kind) {
        case ReportKind::subtotal: {
            SubtotalAnswers answers = ask_subtotal_questions(console);
            return {subtotal_sheet_problem(answers), [answers = std::move(answers)](LineSink& report) {
                        write_subtotal_body(report, answers, formula_separator);
                    }};
        }
        case ReportKind::sumif_01: {
            SumifAnswers answers = ask_sumif_01_questions(console);
            return {sumif_01_sheet_problem(answers), [answers = std::move(answers)](LineSink& report) {
                        write_sumif_01_body(report, answers, formula_separator);
                    }};
        }
        case ReportKind::sumif_02:
            break;
    }
    SumifAnswers answers = ask_sumif_02_questions(console);
    return {sumif_02_sheet_problem(answers), [answers = std::move(answers)](LineSink& report) {
                write_sumif_02_body(report, answers, formula_separator);
            }};
}

// The report is not written: the reason goes to standard error, between
// empty lines on the console.
void report_failure(Console& console, std::string_view file_name, std::string_view reason) {
    console.write_line("");
    console.write_error_line("Error: report file " + std::string(file_name) + " " + std::string(reason));
    console.write_line("");
}

// The generator inside its report frame. The report file is created only
// once the last answer is in, so that no wait leaves an unfinished one
// behind; a report that the user may not write is found before the first
// question, so that nobody answers for nothing. False when the report could
// not be written (the console has said why).
bool write_report(Console& console, ReportKind kind, const WebLink& link) {
    const ReportTexts& texts = report_texts(kind);
    write_report_opening(console, kind);
    std::string reason;
    if (!ReportFile::may_replace(std::string(texts.file_name), reason)) {
        report_failure(console, texts.file_name, "cannot be written: " + reason);
        return false;
    }
    const AskedReport asked = ask_questions(console, kind);
    if (asked.problem) {
        report_failure(console, texts.file_name, "not written: " + *asked.problem);
        return false;
    }
    const std::unique_ptr<ReportFile> report = ReportFile::open(std::string(texts.file_name), reason);
    if (!report) {
        report_failure(console, texts.file_name, "cannot be created: " + reason);
        return false;
    }
    write_report_head(*report, kind, link.web_link, link.link_program_name);
    asked.write_body(*report);
    write_report_end(*report);
    if (!report->finish(reason)) {
        report_failure(console, texts.file_name, "could not be written: " + reason);
        return false;
    }
    write_closing_notice(console, kind);
    return true;
}

int run_dialogue(Console& console, CommandRunner& shell, std::string_view program_path) {
    show_banner(console, program_path);
    if (!accept_terms(console)) {
        return status_done;
    }
    if (!run_prerequisite_checks(console, shell, program_path)) {
        return status_done;
    }
    if (!confirm_separate_directory(console)) {
        return status_done;
    }
    const ReportKind kind = choose_summation(console);
    const std::optional<WebLink> link = run_branch_preamble(console, program_path);
    if (!link) {
        return status_done;
    }
    const int status = write_report(console, kind, *link) ? status_done : status_failed;
    try {
        wait_for_any_key(console, "<Any key> to continue and end");
    } catch (const InputEnded&) {
        // Nothing left to read at the very end: the work is done.
    }
    console.flush();
    return status;
}

}  // namespace

int run_program(Console& console, CommandRunner& shell, std::string_view argument0) {
    try {
        return run_dialogue(console, shell, argument0);
    } catch (const InputEnded&) {
        console.write_error_line("sumwright: input ended before the dialogue was complete; no report was written.");
        return status_failed;
    }
}

}  // namespace sumwright
