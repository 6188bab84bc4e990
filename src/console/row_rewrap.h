#pragma once

namespace sumwright {

// Whether the terminal rewraps the rows of a line when it changes its width
// (tmux, screen, VTE, Konsole, kitty and most others), rather than cutting
// them and keeping each row where it was, as the Linux console and xterm do:
// `TERM` names the Linux console, or xterm's own `XTERM_VERSION` is set with
// neither tmux nor screen in between.
bool terminal_rewraps_rows();

}  // namespace sumwright
