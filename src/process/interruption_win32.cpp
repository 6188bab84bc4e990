#include <windows.h>

#include <atomic>

#include "process/interruption.h"
#include "process/interruption_state.h"

namespace sumwright::interruption {
namespace {

std::atomic_flag ending = ATOMIC_FLAG_INIT;

// Runs on a thread of its own when the console sends Ctrl-C, Ctrl-Break or
// closes; the report file was opened so that it can be deleted while open.
// The process ends here, with the status Windows gives a program stopped by
// Ctrl-C, whatever the main thread is doing meanwhile: a console read that
// the event cut short must not pass for the end of the input.
BOOL WINAPI clean_up_and_end(DWORD /*control_type*/) {
    if (ending.test_and_set()) {
        Sleep(INFINITE);  // a second event while the first one ends the process
    }
    state::restore_terminal();
    if (const char* path = state::file_to_remove()) {
        DeleteFileA(path);
    }
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return TRUE;
}

}  // namespace

Handlers::Handlers() { SetConsoleCtrlHandler(clean_up_and_end, TRUE); }

Handlers::~Handlers() { SetConsoleCtrlHandler(clean_up_and_end, FALSE); }

}  // namespace sumwright::interruption
