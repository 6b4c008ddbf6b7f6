#pragma once
// The stand-in libraries, as the journal names them, and the exports each one journals.
#include <cstdint>
#include <string>
#include <vector>

namespace simboard {

enum class Library : uint8_t
{
    None,
    OptiGear,
    OptiDoze,
    Vvc,
    KdSpindownTimeout,
    KdIo,
    KdAcpi,
    Powrprof,
};

// "OptiGear", "OptiDoze", "vvc", "KdSpindownTimeout", "KdIo", "kdacpi", "powrprof"
const char* LibraryName(Library library);
// Case-insensitive; false for an unknown name.
bool FindLibrary(const std::string& name, Library* library);
// Every library with its name, None excluded.
std::vector<Library> Libraries();

// The journaled exports of a library by the names the journal gives them (kdacpi by ordinal:
// "#4"; KdIo's port calls are not journaled).
const std::vector<std::string>& Exports(Library library);
bool IsExport(Library library, const std::string& function);

} // namespace simboard
