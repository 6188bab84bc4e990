#pragma once

#include <string>

namespace sumwright {

// Runs shell command lines, each to its end; their exit status is not used.
class CommandRunner {
public:
    CommandRunner() = default;
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;
    CommandRunner(CommandRunner&&) = delete;
    CommandRunner& operator=(CommandRunner&&) = delete;
    virtual ~CommandRunner() = default;

    virtual void run(const std::string& command_line) = 0;
};

// The platform's command processor. An interruption while a command runs
// ends the program as it would at any other moment.
class SystemCommandRunner final : public CommandRunner {
public:
    void run(const std::string& command_line) override;
};

}  // namespace sumwright
