#include "lumo/Forms/Gdi.h"

#include "lumo/System/Source/TraceLog.h"

#include <atomic>

namespace lumo {
namespace {

std::atomic<long> g_live{0};

} // namespace

long LiveGdiObjects()
{
    return g_live.load();
}

GdiObject& GdiObject::operator=(GdiObject&& other) noexcept
{
    if (this != &other) {
        Reset(other.Release());
    }
    return *this;
}

void GdiObject::Reset(HGDIOBJ handle)
{
    if (handle == m_handle) {
        return;
    }
    if (m_handle) {
        if (!DeleteObject(m_handle)) {
            TraceLog("[GdiObject::Reset] DeleteObject failed! GetLastError returned %lu",
                     GetLastError());
        }
        --g_live;
    }
    m_handle = handle;
    if (m_handle) {
        ++g_live;
    }
}

HGDIOBJ GdiObject::Release()
{
    HGDIOBJ handle = m_handle;
    if (handle) {
        --g_live;
    }
    m_handle = nullptr;
    return handle;
}

MemoryDC::MemoryDC(HDC compatibleWith) : m_dc(CreateCompatibleDC(compatibleWith))
{
    if (m_dc) {
        ++g_live;
    } else {
        TraceLog("[MemoryDC] CreateCompatibleDC failed! GetLastError returned %lu", GetLastError());
    }
}

MemoryDC::~MemoryDC()
{
    if (m_dc) {
        DeleteDC(m_dc);
        --g_live;
    }
}

SelectedObject::SelectedObject(HDC dc, HGDIOBJ object)
    : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr)
{}

SelectedObject::~SelectedObject()
{
    if (m_previous && m_previous != HGDI_ERROR) {
        SelectObject(m_dc, m_previous);
    }
}

} // namespace lumo
