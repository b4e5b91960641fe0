// The directory that holds the running executable, against which model,
// texture and stage file names are resolved.
#pragma once

#include <string>
#include <string_view>

// The executable's directory, ending with a backslash; empty when the system
// gives no name or a name without any backslash. The text lives in one
// process-wide string refilled by every call: copy it before calling again.
const char* GetModuleDirectory();

// The directory part of a module file name: everything up to and including
// its last backslash, or nothing when it has none. The trail byte of a
// double-byte character is never taken for a backslash.
std::string DirectoryOfModulePath(std::string_view modulePath);
