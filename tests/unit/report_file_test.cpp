#include "report/report_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "golden_report.h"
#include "report/report_frame.h"
#include "scratch_directory.h"

namespace sumwright {
namespace {

namespace fs = std::filesystem;

class ReportFileTest : public InScratchDirectory {
protected:
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch())) {
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

TEST_F(ReportFileTest, GetsTheUsualPermissionsAndOwnerWhenNewElseThoseOfTheReportItReplaces) {
    // The umask, the mode and owner given to the report written before (0:
    // none), the mode of the new report. Only root gives a report to nobody.
    for (const auto& [mask, earlier, owner, mode] :
         {std::array<unsigned, 4>{022, 0, 0, 0644}, {077, 0755, 0, 0755}, {022, 0600, 65534, 0600}}) {
        if (earlier != 0) {
            ::chmod("swr_subtotal.htm", earlier);
        }
        const bool given = owner != 0 && ::chown("swr_subtotal.htm", owner, owner) == 0;
        const mode_t previous_mask = ::umask(mask);
        auto report = open_report("swr_subtotal.htm");
        std::string reason;
        ASSERT_TRUE(report->finish(reason)) << reason;
        ::umask(previous_mask);
        struct stat status {};
        ASSERT_EQ(::stat("swr_subtotal.htm", &status), 0);
        EXPECT_EQ(status.st_mode & 0777U, mode);
        EXPECT_EQ(status.st_uid, given ? owner : ::geteuid());
        EXPECT_EQ(status.st_gid, given ? owner : ::getegid());
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

// The frame of each report is that of its worked example, with the web link
// and the program name written as they are.
TEST_F(ReportFileTest, FrameOfEveryReportCarriesTheLinkVerbatim) {
    const auto replaced = [](std::string line, const std::string& from, const std::string& to) {
        for (std::size_t at = line.find(from); at != std::string::npos; at = line.find(from, at + to.size())) {
            line.replace(at, from.size(), to);
        }
        return line;
    };
    for (const ReportKind kind : {ReportKind::subtotal, ReportKind::sumif_01, ReportKind::sumif_02}) {
        const std::string name(report_texts(kind).file_name);
        auto report = open_report(name);
        write_report_head(*report, kind, "http://www.a\"<&GT", "www.a\"<&GT.exe");
        write_report_end(*report);
        std::string reason;
        ASSERT_TRUE(report->finish(reason)) << reason;

        const std::string content = content_of(name);
        const std::vector<std::string> lines = crlf_lines(content);
        EXPECT_TRUE(content.ends_with("\r\n")) << "the last line ends with CR LF too";
        EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), lines.size()) << "every line feed follows a CR";
        std::vector<std::string> expected;
        for (const std::string& line : golden_frame(name.substr(4, name.size() - 8) + "_example_1")) {
            expected.push_back(replaced(replaced(line, "http://www.example.com", "http://www.a\"<&GT"),
                                        "www.example.com.exe", "www.a\"<&GT.exe"));
        }
        EXPECT_EQ(lines, expected);
    }
}

}  // namespace
}  // namespace sumwright
