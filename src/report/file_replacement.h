#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace sumwright::file_replacement {

// A new, empty file beside the one it will replace, open for binary writing.
struct NewFile {
    std::FILE* stream = nullptr;
    std::string path;
};

// Whether the running user may put a new file in place of `target`: not
// when it is a file that he may not write (on Windows: a read-only one),
// which would refuse to be opened for writing. False, and the system's
// reason, when not.
bool may_replace(const std::string& target, std::string& reason);

// Creates the file under a name no other file has, with the permissions,
// owner and group of the file it will replace as far as the system lets the
// running user give them, else those a newly created file normally gets
// (never those of a private temporary file). On failure: nothing, and the
// system's reason.
std::optional<NewFile> create_beside(const std::string& target, std::string& reason);

// Makes the system write what the stream has handed it (already flushed) to
// the disk itself. 0, or the error number.
int write_to_disk(std::FILE* stream);

// Puts `from` in place of `target` in one step; a `target` that is a symbolic
// link is itself replaced, never written through. On Windows the result
// keeps the attributes that the user set on `target`.
// Once this returns, the replacement itself survives a power loss where the
// system allows it.
bool replace(const std::string& from, const std::string& target, std::string& reason);

// Removes a file if it exists.
void remove(const std::string& path);

// The system's text for an error number.
std::string reason_of(int error_number);

}  // namespace sumwright::file_replacement
