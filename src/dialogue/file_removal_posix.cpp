#include <system_error>

#include "dialogue/file_removal.h"

namespace sumwright {

bool remove_file(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove(path, error);  // a file that is not there is no error
    return !error;
}

}  // namespace sumwright
