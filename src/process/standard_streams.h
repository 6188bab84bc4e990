#pragma once

namespace sumwright::standard_streams {

// Gives each standard stream (input, output, error) that the process was
// started without a stand-in that reads nothing and swallows what is
// written. Without it the first file the program opens would take the free
// stream's place, and console output would land in that file (a report
// among them). Call it first, before any file is opened.
void ensure_open();

}  // namespace sumwright::standard_streams
