#pragma once

// A scratch directory for the benchmarks' files, and copies of a report
// file, as the measure of what writing its bytes costs.

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "report/file_replacement.h"

namespace sumwright {

// A directory of its own under the temporary directory, removed at the end.
class ScratchDirectory {
public:
    explicit ScratchDirectory(std::string_view prefix)
        : path_(std::filesystem::temp_directory_path() /
                (std::string(prefix) + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))) {
        std::filesystem::create_directories(path_);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ScratchDirectory(ScratchDirectory&&) = delete;
    ScratchDirectory& operator=(ScratchDirectory&&) = delete;
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::string file(std::string_view name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Copies `source` over `target` through `out`, in the C library's buffered
// streams as the report file writes. False when a read or write fails.
inline bool copy_into(const std::string& source, std::FILE* out) {
    std::FILE* in = std::fopen(source.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    std::array<char, std::size_t{64} * 1024> buffer{};
    bool copied = true;
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        copied = copied && std::fwrite(buffer.data(), 1, read, out) == read;
    }
    std::fclose(in);
    return copied;
}

inline bool copy_through_streams(const std::string& source, const std::string& target) {
    std::FILE* out = std::fopen(target.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool copied = copy_into(source, out);
    return std::fclose(out) == 0 && copied;
}

// The copy put in place as a report is: written beside the target, synced
// to the disk, renamed over it, and the directory synced.
inline bool copy_put_in_place(const std::string& source, const std::string& target) {
    std::string reason;
    std::optional<file_replacement::NewFile> beside = file_replacement::create_beside(target, reason);
    if (!beside) {
        return false;
    }
    bool copied = copy_into(source, beside->stream) && std::fflush(beside->stream) == 0 &&
                  file_replacement::write_to_disk(beside->stream) == 0;
    copied = std::fclose(beside->stream) == 0 && copied;
    if (!copied) {
        file_replacement::remove(beside->path);
        return false;
    }
    return file_replacement::replace(beside->path, target, reason);
}

}  // namespace sumwright
