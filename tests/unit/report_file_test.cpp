#include "report/report_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "golden_report.h"
#include "report/report_frame.h"

namespace sumwright {
namespace {

namespace fs = std::filesystem;

class ReportFileTest : public testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("report_file_test_" + std::to_string(::getpid()));
        fs::create_directories(directory_);
        previous_ = fs::current_path();
        fs::current_path(directory_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(directory_);
    }

    static std::string content_of(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::unique_ptr<ReportFile> open_report(const std::string& name) {
        std::string reason;
        auto report = ReportFile::open(name, reason);
        EXPECT_NE(report, nullptr) << reason;
        return report;
    }

    fs::path directory_;
    fs::path previous_;
};

TEST_F(ReportFileTest, WritesCrLfLinesAndProtectsAmpersandsOutsideVerbatimLines) {
    auto report = open_report("swr_subtotal.htm");
    report->write_text("=A");
    report->write_text("&GT");
    report->write_line("2");
    report->write_verbatim_line("<a href=\"x&GT\">");
    report->write_number_field(-3);
    std::string reason;
    ASSERT_TRUE(report->finish(reason)) << reason;
    EXPECT_EQ(content_of("swr_subtotal.htm"), "=A&amp;GT2\r\n<a href=\"x&GT\">\r\n-3\r\n");
}

TEST_F(ReportFileTest, KeepsThePreviousReportUntilFinishedThenReplacesItCompletely) {
    std::ofstream("swr_sumif_01.htm") << std::string(10000, 'x');
    {
        auto abandoned = open_report("swr_sumif_01.htm");
        abandoned->write_line("new");
        EXPECT_EQ(entries().size(), 2U) << "the new report is written beside the old one";
    }
    EXPECT_EQ(content_of("swr_sumif_01.htm"), std::string(10000, 'x'));
    EXPECT_EQ(entries(), std::vector<std::string>{"swr_sumif_01.htm"});
    auto report = open_report("swr_sumif_01.htm");
    report->write_line("short");
    std::string reason;
    ASSERT_TRUE(report->finish(reason)) << reason;
    EXPECT_EQ(content_of("swr_sumif_01.htm"), "short\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"swr_sumif_01.htm"});
}

TEST_F(ReportFileTest, GetsTheUsualPermissionsWhenNewElseThoseOfTheReportItReplaces) {
    // The umask, the mode given to the report written before (0: none), the mode of the new report.
    for (const auto& [mask, earlier, mode] :
         {std::array<mode_t, 3>{022, 0, 0644}, {022, 0600, 0600}, {077, 0755, 0755}}) {
        if (earlier != 0) {
            ::chmod("swr_subtotal.htm", earlier);
        }
        const mode_t previous_mask = ::umask(mask);
        auto report = open_report("swr_subtotal.htm");
        std::string reason;
        ASSERT_TRUE(report->finish(reason)) << reason;
        ::umask(previous_mask);
        struct stat status {};
        ASSERT_EQ(::stat("swr_subtotal.htm", &status), 0);
        EXPECT_EQ(status.st_mode & 0777U, mode);
    }
}

TEST_F(ReportFileTest, ReplacesASymbolicLinkInsteadOfWritingThroughIt) {
    std::ofstream("elsewhere.htm") << "not mine to change";
    fs::create_symlink("elsewhere.htm", "swr_subtotal.htm");
    auto report = open_report("swr_subtotal.htm");
    report->write_line("report");
    std::string reason;
    ASSERT_TRUE(report->finish(reason)) << reason;
    EXPECT_FALSE(fs::is_symlink("swr_subtotal.htm"));
    EXPECT_EQ(content_of("swr_subtotal.htm"), "report\r\n");
    EXPECT_EQ(content_of("elsewhere.htm"), "not mine to change");
}

TEST_F(ReportFileTest, FailsWithTheSystemReasonWhenItCannotTakeTheReportsPlace) {
    fs::create_directory("swr_subtotal.htm");
    auto report = open_report("swr_subtotal.htm");
    report->write_line("report");
    std::string reason;
    EXPECT_FALSE(report->finish(reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(fs::is_directory("swr_subtotal.htm"));
    EXPECT_EQ(entries(), std::vector<std::string>{"swr_subtotal.htm"}) << "no temporary file is left";
}

TEST_F(ReportFileTest, CannotBeOpenedInAMissingDirectory) {
    std::string reason;
    EXPECT_EQ(ReportFile::open("missing/swr_subtotal.htm", reason), nullptr);
    EXPECT_FALSE(reason.empty());
}

TEST_F(ReportFileTest, FrameLinesForEveryReport) {
    struct Expected {
        ReportKind kind;
        const char* heading;
        const char* creator;
    };
    for (const auto& [kind, heading, creator] :
         {Expected{ReportKind::subtotal, "<b> SUMWRIGHT SUBTOTAL </b>",
                   "This document was created using sumwright_free.exe program."},
          Expected{ReportKind::sumif_01, "<b> SUMWRIGHT SUMIF_01 </b>",
                   "This document was created using the sumwright_free.exe program."},
          Expected{ReportKind::sumif_02, "<b> SUMWRIGHT SUMIF_02 </b>",
                   "This document was created using the sumwright_free.exe program."}}) {
        const std::string name(report_texts(kind).file_name);
        auto report = open_report(name);
        write_report_head(*report, kind, "http://www.a\"<&GT", "www.a\"<&GT.exe");
        write_report_end(*report);
        std::string reason;
        ASSERT_TRUE(report->finish(reason)) << reason;

        const std::string content = content_of(name);
        const std::vector<std::string> lines = crlf_lines(content);
        EXPECT_TRUE(content.ends_with("\r\n")) << "the last line ends with CR LF too";
        EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 33) << "every line feed follows a CR";
        ASSERT_EQ(lines.size(), 33U);
        EXPECT_EQ(
            std::vector<std::string>(lines.begin(), lines.begin() + 6),
            (std::vector<std::string>{"<html>", "<head>", R"(<meta http-equiv="Content-Type" content="text/html">)",
                                      "<title>SUMWRIGHT</title>", "</head>", "<body>"}));
        EXPECT_EQ(lines[13], "<br> More info: <a href=\"" + std::string(information_page) + "\">" +
                                 std::string(information_page) + "</a>");
        EXPECT_EQ(lines[18], heading);
        EXPECT_EQ(lines[23], creator);
        EXPECT_EQ(lines[26], "Useful link added by the program www.a\"<&GT.exe:");
        EXPECT_EQ(lines[28], "<a href=\"http://www.a\"<&GT\">http://www.a\"<&GT</a>");
        EXPECT_EQ(lines[31], "</body>");
        EXPECT_EQ(lines[32], "</html>");
    }
}

}  // namespace
}  // namespace sumwright
