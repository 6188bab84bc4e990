#include "dialogue/command_runner.h"

#include <cstdio>
#include <cstdlib>

namespace sumwright {

void SystemCommandRunner::run(const std::string& command_line) {
    // What the command prints must not come before what was printed already.
    std::fflush(nullptr);
    static_cast<void>(std::system(command_line.c_str()));
}

}  // namespace sumwright
