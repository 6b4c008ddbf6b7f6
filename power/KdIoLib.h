#pragma once
// Port I/O through the maker's "KdIo.dll" in the Windows system folder. A missing library or
// entry is shown once and leaves the ports unreachable.
#include "power/MakerAbi.h"
#include "lumo/System/Source/Owners.h"

#include <windows.h>
#include <string>

namespace tv {

class KdIoLib
{
public:
    static constexpr char kLibraryName[] = "KdIo.dll";

    // systemFolder without its trailing backslash: the library is loaded from it and
    // KDIO_Open is given it.
    explicit KdIoLib(const std::string& systemFolder);
    ~KdIoLib();
    KdIoLib(const KdIoLib&) = delete;
    KdIoLib& operator=(const KdIoLib&) = delete;

    // Over the Windows system folder, created on first use.
    static KdIoLib& Instance();

    // Loaded, resolved and opened.
    bool IsPresent() const { return m_open; }
    // 0xFF when the ports are unreachable.
    BYTE In(WORD port);
    bool Out(WORD port, BYTE value);

private:
    lumo::ModuleHandle m_module;
    maker::KdIoOpenFn m_openEntry = nullptr;
    maker::KdIoCloseFn m_close = nullptr;
    maker::KdIoInFn m_in = nullptr;
    maker::KdIoOutFn m_out = nullptr;
    bool m_open = false;
};

} // namespace tv
