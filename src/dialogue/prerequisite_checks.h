#pragma once

#include "dialogue/command_runner.h"
#include "dialogue/console.h"

namespace sumwright {

// Proves that the command interpreter, sort and find can be run, in the
// current directory. True when all three pass; otherwise the failed tool is
// named and false is returned once the user has pressed "9".
bool run_prerequisite_checks(Console& console, CommandRunner& shell);

}  // namespace sumwright
