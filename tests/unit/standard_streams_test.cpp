#include "process/standard_streams.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <utility>

namespace sumwright {
namespace {

// Standard input stands in for all three: the test runner's output must stay.
class ClosedStandardInput : public testing::Test {
protected:
    void SetUp() override {
        saved_ = ::dup(STDIN_FILENO);
        ASSERT_GE(saved_, 0);
        ASSERT_EQ(::close(STDIN_FILENO), 0);
    }
    void TearDown() override {
        ::dup2(saved_, STDIN_FILENO);
        ::close(saved_);
    }

private:
    int saved_ = -1;
};

// A program started without standard output once wrote its console lines
// into the report, because the report file took descriptor 1.
TEST_F(ClosedStandardInput, GetsAStandInSoNoFileTakesItsPlace) {
    ASSERT_TRUE(standard_streams::ensure_open());
    ASSERT_NE(::fcntl(STDIN_FILENO, F_GETFD), -1) << "the stream is open again";
    char byte = 0;
    EXPECT_EQ(::read(STDIN_FILENO, &byte, 1), 0) << "and reads as an ended stream";
    const int file = ::open("/dev/null", O_RDONLY);
    EXPECT_GT(file, STDERR_FILENO) << "a file opened afterwards gets a number of its own";
    ::close(file);
}

// The very file each open stream was, not merely one opened alike.
TEST(StandardStreams, OpenStreamsAreLeftAlone) {
    const auto identity = [](int fd) {
        struct stat status {};
        EXPECT_EQ(::fstat(fd, &status), 0);
        return std::pair(status.st_dev, status.st_ino);
    };
    const auto before = std::array{identity(STDIN_FILENO), identity(STDOUT_FILENO), identity(STDERR_FILENO)};
    EXPECT_TRUE(standard_streams::ensure_open());
    EXPECT_EQ((std::array{identity(STDIN_FILENO), identity(STDOUT_FILENO), identity(STDERR_FILENO)}), before);
}

}  // namespace
}  // namespace sumwright
