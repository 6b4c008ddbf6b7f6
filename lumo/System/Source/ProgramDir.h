#pragma once
#include <string>

namespace lumo {

// Folder of the running program file, with its trailing backslash.
std::string ProgramDirectory();

// The Windows system folder (no trailing backslash).
std::string SystemDirectory();

// True when a file (not a folder) exists at path.
bool FileExists(const std::string& path);

} // namespace lumo
