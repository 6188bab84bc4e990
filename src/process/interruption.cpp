#include <array>
#include <atomic>
#include <cstring>

#include "process/interruption.h"
#include "process/interruption_state.h"

namespace sumwright::interruption {
namespace {

std::atomic<void (*)()> terminal_restorer{nullptr};
std::atomic<void (*)(bool)> terminal_resumer{nullptr};
std::atomic<void (*)()> line_ender{nullptr};
std::atomic<bool> resize_seen{false};
std::array<char, 4096> file_path{};
std::atomic<bool> file_path_set{false};

}  // namespace

bool resized() { return resize_seen.exchange(false); }

void set_terminal_restorer(void (*restore)()) { terminal_restorer.store(restore); }

void set_terminal_resumer(void (*resume)(bool screen_moved)) { terminal_resumer.store(resume); }

void set_line_ender(void (*end_line)()) { line_ender.store(end_line); }

void set_file_to_remove(const char* path) {
    file_path_set.store(false);
    if (path == nullptr || std::strlen(path) >= file_path.size()) {
        return;
    }
    std::strncpy(file_path.data(), path, file_path.size() - 1);
    file_path_set.store(true);
}

namespace state {

void restore_terminal() {
    if (auto* restore = terminal_restorer.load()) {
        restore();
    }
}

void resume_terminal(bool screen_moved) {
    if (auto* resume = terminal_resumer.load()) {
        resume(screen_moved);
    }
}

void end_terminal_line() {
    if (auto* end_line = line_ender.load()) {
        end_line();
    }
}

void note_resize() { resize_seen.store(true); }

const char* file_to_remove() { return file_path_set.load() ? file_path.data() : nullptr; }

}  // namespace state
}  // namespace sumwright::interruption
