#pragma once
// Where behaviour depends on the Windows version, the code asks a version source, so that tests
// can stand in for another version.

namespace tv {

// The major version, or -1 when it cannot be learned.
using WindowsMajorVersionSource = int (*)();

// GetVersionExA's major version, or -1 when the query fails.
int QueryWindowsMajorVersion();

} // namespace tv
