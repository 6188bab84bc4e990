#include "report/report_file.h"

#include <cerrno>

#include "process/interruption.h"
#include "report/file_replacement.h"
#include "report/html_text.h"

namespace sumwright {
namespace {

constexpr std::size_t buffer_size = std::size_t{64} * 1024;

}  // namespace

std::unique_ptr<ReportFile> ReportFile::open(const std::string& name, std::string& reason) {
    auto created = file_replacement::create_beside(name, reason);
    if (!created) {
        return nullptr;
    }
    return std::make_unique<ReportFile>(name, created->stream, std::move(created->path));
}

bool ReportFile::may_replace(const std::string& name, std::string& reason) {
    return file_replacement::may_replace(name, reason);
}

ReportFile::ReportFile(std::string name, std::FILE* stream, std::string temporary_path)
    : name_(std::move(name)), stream_(stream), temporary_path_(std::move(temporary_path)) {
    interruption::set_file_to_remove(temporary_path_.c_str());
    buffer_.reserve(buffer_size + 4096);
}

ReportFile::~ReportFile() { discard(); }

void ReportFile::discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporary_path_.empty()) {
        file_replacement::remove(temporary_path_);
        temporary_path_.clear();
        interruption::set_file_to_remove(nullptr);
    }
}

void ReportFile::hand_over_buffer() {
    if (write_error_ == 0 && stream_ != nullptr && !buffer_.empty()) {
        errno = 0;
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size()) {
            write_error_ = errno != 0 ? errno : EIO;
        }
    }
    buffer_.clear();
}

void ReportFile::write_bytes(std::string_view bytes) {
    buffer_ += bytes;
    if (buffer_.size() >= buffer_size) {
        hand_over_buffer();
    }
}

void ReportFile::write_text(std::string_view text) { pending_ += text; }

void ReportFile::write_line(std::string_view text) {
    const auto write = [this](std::string_view piece) { write_bytes(piece); };
    if (pending_.empty()) {
        write_protected(text, write);
    } else {
        pending_ += text;
        write_protected(pending_, write);
        pending_.clear();
    }
    write_bytes("\r\n");
}

void ReportFile::write_verbatim_line(std::string_view text) {
    write_bytes(pending_);
    write_bytes(text);
    write_bytes("\r\n");
    pending_.clear();
}

bool ReportFile::finish(std::string& reason) {
    if (stream_ == nullptr) {
        reason = file_replacement::reason_of(EBADF);
        return false;
    }
    hand_over_buffer();
    errno = 0;
    if (write_error_ == 0 && std::fflush(stream_) != 0) {
        write_error_ = errno != 0 ? errno : EIO;
    }
    // On the disk before it replaces the old report: else a power loss could
    // leave an empty report in its place.
    if (write_error_ == 0) {
        write_error_ = file_replacement::write_to_disk(stream_);
    }
    errno = 0;
    const int closed = std::fclose(stream_);
    stream_ = nullptr;
    if (write_error_ == 0 && closed != 0) {
        write_error_ = errno != 0 ? errno : EIO;
    }
    if (write_error_ != 0) {
        reason = file_replacement::reason_of(write_error_);
        discard();
        return false;
    }
    if (!may_replace(name_, reason) || !file_replacement::replace(temporary_path_, name_, reason)) {
        discard();
        return false;
    }
    temporary_path_.clear();
    interruption::set_file_to_remove(nullptr);
    return true;
}

}  // namespace sumwright
