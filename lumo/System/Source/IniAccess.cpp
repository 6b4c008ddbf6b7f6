#include "lumo/System/Source/IniAccess.h"

#include "lumo/System/Source/Assert.h"

#include <windows.h>
#include <new>

namespace lumo {
namespace {

constexpr unsigned long kInitialSize = 128;
// No profile text comes near this; stop doubling rather than exhaust memory on a broken file.
constexpr unsigned long kMaximumSize = 16ul << 20;

} // namespace

IniAccess::~IniAccess()
{
    Close();
}

bool IniAccess::Open(const std::string& file)
{
    LUMO_ASSERT(!IsOpen());
    try {
        m_buffer.assign(kInitialSize, '\0');
    } catch (const std::bad_alloc&) {
        Close();
        return false;
    }
    m_size = kInitialSize;
    m_file = file;
    return true;
}

void IniAccess::Close()
{
    if (!m_file.empty()) {
        // Drops the system's cached copy of the file.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_file.c_str());
    }
    m_file.clear();
    std::vector<char>().swap(m_buffer);
    m_size = 0;
}

bool IniAccess::Read(const char* section, const char* key, const char* defaultText,
                     std::string& out)
{
    LUMO_ASSERT(IsOpen());
    const DWORD reserve = (section == nullptr || key == nullptr) ? 2 : 1;
    for (;;) {
        DWORD length = GetPrivateProfileStringA(section, key, defaultText, m_buffer.data(), m_size,
                                                m_file.c_str());
        if (length + reserve < m_size || m_size >= kMaximumSize) {
            out.assign(m_buffer.data(), length < m_size ? length : m_size - 1);
            return true;
        }
        try {
            m_buffer.assign(m_size * 2, '\0');
        } catch (const std::bad_alloc&) {
            return false;
        }
        m_size *= 2;
    }
}

} // namespace lumo
