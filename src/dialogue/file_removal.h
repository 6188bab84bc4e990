#pragma once

#include <filesystem>

namespace sumwright {

// Removes a file; true when it is gone afterwards, also when it was never
// there. On Windows a file that another process still holds open (a command
// that has just ended, a virus scanner) refuses deletion, or lingers as a
// pending delete, for a moment; that is waited out for a bounded time.
bool remove_file(const std::filesystem::path& path);

}  // namespace sumwright
