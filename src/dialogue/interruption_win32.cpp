#include <windows.h>

#include <array>
#include <atomic>
#include <cstring>

#include "dialogue/interruption.h"

namespace sumwright::interruption {
namespace {

std::atomic<void (*)()> terminal_restorer{nullptr};
std::array<char, MAX_PATH + 1> file_to_remove{};
std::atomic<bool> file_to_remove_set{false};

BOOL WINAPI clean_up(DWORD /*control_type*/) {
    if (auto* restore = terminal_restorer.load()) {
        restore();
    }
    if (file_to_remove_set.load()) {
        DeleteFileA(file_to_remove.data());
    }
    return FALSE;  // let the default handler end the process
}

}  // namespace

void install_handlers() { SetConsoleCtrlHandler(clean_up, TRUE); }

void set_terminal_restorer(void (*restore)()) { terminal_restorer.store(restore); }

// A console program is not suspended by the console; nothing to resume.
void set_terminal_resumer(void (* /*resume*/)()) {}

void set_file_to_remove(const char* path) {
    file_to_remove_set.store(false);
    if (path == nullptr || std::strlen(path) >= file_to_remove.size()) {
        return;
    }
    std::strncpy(file_to_remove.data(), path, file_to_remove.size() - 1);
    file_to_remove_set.store(true);
}

}  // namespace sumwright::interruption
