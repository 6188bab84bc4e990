#include "dialogue/command_runner.h"

namespace sumwright {

std::string not_started_cause(std::string_view reason) {
    return "stayed empty: its command could not be started: " + std::string(reason);
}

std::string failed_cause(std::string_view reason) { return "stayed empty: its command failed: " + std::string(reason); }

std::string status_cause(int status) { return "stayed empty: its command ended with status " + std::to_string(status); }

}  // namespace sumwright
