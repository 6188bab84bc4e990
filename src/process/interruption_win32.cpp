#include <windows.h>

#include "process/interruption.h"
#include "process/interruption_state.h"

namespace sumwright::interruption {
namespace {

// Runs on a thread of its own when the console sends Ctrl-C, Ctrl-Break or
// closes; the report file was opened so that it can be deleted while open.
BOOL WINAPI clean_up(DWORD /*control_type*/) {
    state::restore_terminal();
    if (const char* path = state::file_to_remove()) {
        DeleteFileA(path);
    }
    return FALSE;  // let the default handler end the process
}

}  // namespace

void install_handlers() { SetConsoleCtrlHandler(clean_up, TRUE); }

}  // namespace sumwright::interruption
