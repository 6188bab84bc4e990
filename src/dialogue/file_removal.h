#pragma once

#include <filesystem>
#include <string>

namespace sumwright {

// Removes a file; true when it is gone afterwards, also when it was never
// there. A directory is never removed. On Windows a file that another
// process still holds open (a command that has just ended, a virus scanner)
// refuses deletion, or lingers as a pending delete, for a moment; that is
// waited out for a bounded time.
bool remove_file(const std::filesystem::path& path);

// Makes way for a command to write a check file of this name in the current
// folder. A link of any kind (symbolic, a hard link with more than one name,
// a Windows reparse point) is removed, the name only, its target untouched.
// Gives why the name cannot be used when it is a directory, a FIFO, a device
// or any other thing but a plain file (for example "it is a directory"), or
// an empty text.
std::string clear_check_file(const std::filesystem::path& path);

}  // namespace sumwright
