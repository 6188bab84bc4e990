#include "dialogue/prerequisite_checks.h"

namespace sumwright {

// Placeholder until the checks are built.
bool run_prerequisite_checks(Console& /*console*/, CommandRunner& /*shell*/) { return true; }

}  // namespace sumwright
