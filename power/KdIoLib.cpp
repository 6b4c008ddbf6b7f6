#include "power/KdIoLib.h"

#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"

namespace tv {

KdIoLib::KdIoLib(const std::string& systemFolder)
{
    const std::string path = systemFolder + "\\" + kLibraryName;
    m_module.Reset(LoadLibraryA(path.c_str()));
    if (!m_module) {
        TraceLog("[KdIoLib] LoadLibrary %s failed! GetLastError returned %lu", path.c_str(),
                 GetLastError());
        lumo::ShowMessageBoxAside("Can not load KdIo.dll", "");
        return;
    }
    m_openEntry = maker::Entry<maker::KdIoOpenFn>(m_module.Get(), "KDIO_Open");
    m_close = maker::Entry<maker::KdIoCloseFn>(m_module.Get(), "KDIO_Close");
    m_in = maker::Entry<maker::KdIoInFn>(m_module.Get(), "KDIO_InPortB");
    m_out = maker::Entry<maker::KdIoOutFn>(m_module.Get(), "KDIO_OutPortB");
    if (!m_openEntry || !m_close || !m_in || !m_out) {
        lumo::ShowMessageBoxAside("Can not get procedures in KdIO.dll", "");
        m_module.Reset();
        return;
    }
    m_open = m_openEntry(systemFolder.c_str()) != 0;
    if (!m_open) {
        TraceLog("[KdIoLib] KDIO_Open(%s) failed, no port access", systemFolder.c_str());
        m_module.Reset();
    }
}

KdIoLib::~KdIoLib()
{
    if (m_open) {
        m_close();
    }
}

KdIoLib& KdIoLib::Instance()
{
    static KdIoLib* const instance = new KdIoLib(lumo::SystemDirectory());
    return *instance;
}

BYTE KdIoLib::In(WORD port)
{
    return m_open ? m_in(port) : 0xFF;
}

bool KdIoLib::Out(WORD port, BYTE value)
{
    return m_open && m_out(port, value) != 0;
}

} // namespace tv
