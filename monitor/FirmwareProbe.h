#pragma once
// The firmware revision probe through the maker's ACPI package reader "kdacpi.dll" (exports by
// ordinal only): firmware from revision 2 on blacks the screen out itself.
namespace tv {

// Loads library (a name or a path) for the probe and frees it again. False, traced, when the
// library or one of its ordinals is missing, the package cannot be read, has fewer than four
// elements or its revision element has no value.
bool ProbeFirmwareDozeCapable(const char* library = "kdacpi.dll");

} // namespace tv
