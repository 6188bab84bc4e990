#pragma once

namespace sumwright::standard_streams {

// Gives each standard stream (input, output, error) that the process was
// started without a stand-in that reads nothing and swallows what is
// written. Without it the first file the program opens would take the free
// stream's place, and console output would land in that file (a report
// among them). Call it first, before any file is opened. False when a
// stream has no stand-in (no null device, as in a bare container): that has
// then been said on a stream that is open, if any, and the program must end.
bool ensure_open();

}  // namespace sumwright::standard_streams
