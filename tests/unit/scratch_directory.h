#pragma once

// Tests that work with files run in an empty directory of their own, named
// after the test, which is the current directory while the test runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace sumwright {

// The bytes of a file; empty when it cannot be read.
inline std::string content_of(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class InScratchDirectory : public testing::Test {
protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("scratch_") + test->test_suite_name() + "_" + test->name();
        std::replace(name.begin(), name.end(), '/', '_');
        scratch_ = std::filesystem::path(testing::TempDir()) / name;
        std::filesystem::remove_all(scratch_);
        std::filesystem::create_directories(scratch_);
        std::filesystem::current_path(scratch_);
    }
    void TearDown() override {
        std::filesystem::current_path(before_);
        std::filesystem::remove_all(scratch_);
    }

    [[nodiscard]] const std::filesystem::path& scratch() const { return scratch_; }

private:
    std::filesystem::path before_ = std::filesystem::current_path();
    std::filesystem::path scratch_;
};

}  // namespace sumwright
