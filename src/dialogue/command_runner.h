#pragma once

#include <string>

#include "dialogue/check_commands.h"

namespace sumwright {

// Runs the command lines of the tool checks, each to its end; their exit
// status is not used.
class CommandRunner {
public:
    CommandRunner() = default;
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;
    CommandRunner(CommandRunner&&) = delete;
    CommandRunner& operator=(CommandRunner&&) = delete;
    virtual ~CommandRunner() = default;

    // Runs the line with its output going into its check file. Gives why the
    // check file could not be written (for example "cannot be written in
    // this folder: Permission denied"), or an empty text.
    virtual std::string run(const CheckCommand& command) = 0;
};

// The platform's command processor. An interruption while a command runs
// ends the program as it would at any other moment.
class SystemCommandRunner final : public CommandRunner {
public:
    std::string run(const CheckCommand& command) override;
};

}  // namespace sumwright
