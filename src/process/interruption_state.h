#pragma once

// What the platform's interruption handlers act on; set through
// interruption.h. Every function here is async-signal-safe.
namespace sumwright::interruption::state {

void restore_terminal();
// `screen_moved` as with set_terminal_resumer.
void resume_terminal(bool screen_moved);
void end_terminal_line();
void note_resize();
// The unfinished file to remove, or nullptr.
const char* file_to_remove();

}  // namespace sumwright::interruption::state
