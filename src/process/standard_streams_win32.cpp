#include "process/standard_streams.h"

namespace sumwright::standard_streams {

// The C runtime keeps descriptors 0 to 2 reserved even when the process has
// no standard handle for them, so a file opened later never takes their place.
bool ensure_open() { return true; }

}  // namespace sumwright::standard_streams
