#include <string_view>

#include "console/standard_console.h"
#include "dialogue/command_runner.h"
#include "dialogue/program_flow.h"
#include "process/interruption.h"
#include "process/standard_streams.h"

int main(int argc, char** argv) {
    if (!sumwright::standard_streams::ensure_open()) {
        return 1;
    }
    const sumwright::interruption::Handlers handlers;
    const std::string_view argument0 = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    sumwright::StandardConsole console;
    sumwright::SystemCommandRunner shell;
    return sumwright::run_program(console, shell, argument0);
}
