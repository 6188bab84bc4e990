#pragma once

#include <string>
#include <string_view>

#include "dialogue/check_commands.h"

namespace sumwright {

// Runs the command lines of the tool checks, each to its end; their exit
// status decides nothing, it only explains a check file left empty.
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
    // this folder: Permission denied", or one of the causes below), or an
    // empty text.
    virtual std::string run(const CheckCommand& command) = 0;
};

// Why a command left its check file empty, said after the file's name: it
// could not be started, it failed for a reason the system gives (a full
// disk), or it ended with a status that says no more.
std::string not_started_cause(std::string_view reason);
std::string failed_cause(std::string_view reason);
std::string status_cause(int status);

// The platform's command processor. An interruption while a command runs
// ends the program as it would at any other moment.
class SystemCommandRunner final : public CommandRunner {
public:
    std::string run(const CheckCommand& command) override;
};

}  // namespace sumwright
