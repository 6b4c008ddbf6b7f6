#include "shell/base/CalibrateLib.h"

#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"

#include <algorithm>

namespace tv {
namespace {

constexpr char kFileName[] = "Calibrate.dll";
constexpr char kCaption[] = "Opti Gear3";
constexpr char kPrimaryName[] = "StartCalibrateWithPrimary";
constexpr char kBurnName[] = "StartCalibrateWithCpuBurn";
constexpr char kStopName[] = "StopCalibrate";

template <typename Fn> Fn Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

CalibrateLib& CalibrateLib::Instance()
{
    // Never destroyed: load threads may still run while the process ends.
    static CalibrateLib* instance = new CalibrateLib(lumo::ProgramDirectory());
    return *instance;
}

CalibrateLib::CalibrateLib(const std::string& folder) : m_path(folder + kFileName)
{
    m_module.Reset(LoadLibraryA(m_path.c_str()));
    if (!m_module) {
        TraceLog("~~~[CalibrateLib] LoadLibrary %s failed! GetLastError returned %lu",
                 m_path.c_str(), GetLastError());
        lumo::ShowMessageBox(NULL, "Can not load Calibrate.dll", kCaption, MB_OK);
        return;
    }
    m_primary = Entry<StartFn>(m_module.Get(), kPrimaryName);
    m_burn = Entry<StartFn>(m_module.Get(), kBurnName);
    m_stop = Entry<StopFn>(m_module.Get(), kStopName);
    if (!HasAllEntries()) {
        TraceLog("~~~[CalibrateLib] %s lacks entry points:%s%s%s", m_path.c_str(),
                 m_primary ? "" : " StartCalibrateWithPrimary",
                 m_burn ? "" : " StartCalibrateWithCpuBurn", m_stop ? "" : " StopCalibrate");
        lumo::ShowMessageBox(NULL, "Can not GetProcAddress failed", kCaption, MB_OK);
    }
}

CalibrateLib::~CalibrateLib()
{
    if (!m_module) {
        return;
    }
    // Unloading under running load threads would pull their code away.
    if (m_loadStarted && m_stop) {
        m_stop();
    }
}

bool CalibrateLib::Start(StartFn entry, const char* name, int threads)
{
    if (!entry) {
        TraceLog("~~~[CalibrateLib] %s is not available, call skipped", name);
        return false;
    }
    m_loadStarted = true;
    const int result = entry(threads);
    TraceLog("~~~[CalibrateLib] %s(%d) returned %d", name, threads, result);
    return result != 0;
}

bool CalibrateLib::StartWithPrimary(int threads)
{
    return Start(m_primary, kPrimaryName, threads);
}

bool CalibrateLib::StartWithCpuBurn(int threads)
{
    return Start(m_burn, kBurnName, threads);
}

bool CalibrateLib::Stop()
{
    if (!m_stop) {
        TraceLog("~~~[CalibrateLib] %s is not available, call skipped", kStopName);
        return false;
    }
    m_loadStarted = false;
    const int result = m_stop();
    TraceLog("~~~[CalibrateLib] %s returned %d", kStopName, result);
    return result != 0;
}

int CalibrateLib::SystemProcessorCount()
{
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return static_cast<int>(info.dwNumberOfProcessors);
}

int CalibrateLib::ThreadCountFor(int processors)
{
    return std::max(processors, 4);
}

int CalibrateLib::ThreadCount()
{
    return ThreadCountFor(SystemProcessorCount());
}

} // namespace tv
