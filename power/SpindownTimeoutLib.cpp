#include "power/SpindownTimeoutLib.h"

#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/TraceLog.h"

namespace tv {

SpindownTimeoutLib::SpindownTimeoutLib(const std::string& library)
{
    m_module.Reset(LoadLibraryA(library.c_str()));
    if (!m_module) {
        TraceLog("[SpindownTimeoutLib] LoadLibrary %s failed! GetLastError returned %lu",
                 library.c_str(), GetLastError());
        lumo::ShowMessageBoxAside("Can not load KdSpindownTimeout.dll", "Tetravolt");
        return;
    }
    m_get = maker::Entry<maker::SpindownFn>(m_module.Get(), "KdGetSpindownTimeout");
    m_set = maker::Entry<maker::SpindownFn>(m_module.Get(), "KdSetSpindownTimeout");
    if (!m_get || !m_set) {
        lumo::ShowMessageBoxAside("Can not attach the function of KdSpindownTimeout.dll",
                                  "Tetravolt");
        m_get = nullptr;
        m_set = nullptr;
        m_module.Reset();
    }
}

SpindownTimeoutLib& SpindownTimeoutLib::Instance()
{
    static SpindownTimeoutLib* const instance = new SpindownTimeoutLib(kLibraryName);
    return *instance;
}

bool SpindownTimeoutLib::SetSpindownTimeout(DWORD seconds)
{
    if (!m_set) {
        return false;
    }
    DWORD value = seconds;
    return m_set(&value) != 0;
}

} // namespace tv
