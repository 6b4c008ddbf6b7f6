#pragma once
// The stand-in libraries, as the journal names them.
#include <cstdint>

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

} // namespace simboard
