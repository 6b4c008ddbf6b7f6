#include "lumo/System/Source/WinRegistry.h"

#include "lumo/System/Source/Assert.h"

#include <cstring>

namespace lumo {

WinRegistry::WinRegistry() : m_key(nullptr), m_ownsHandle(false) {}

WinRegistry::~WinRegistry()
{
    Close();
}

bool WinRegistry::Open(HKEY root, const char* path, bool create)
{
    LUMO_ASSERT(!IsOpen());
    HKEY key = nullptr;
    LONG result;
    if (create) {
        DWORD disposition = 0;
        result =
            RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition);
    } else {
        result = RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key);
    }
    if (result != ERROR_SUCCESS) {
        return false;
    }
    Attach(key, true);
    return true;
}

void WinRegistry::Attach(HKEY key, bool ownsHandle)
{
    LUMO_ASSERT(!IsOpen());
    m_key = key;
    m_ownsHandle = ownsHandle;
    AllocateNameBuffers();
}

void WinRegistry::AllocateNameBuffers()
{
    DWORD longestSubKey = 0;
    DWORD longestValueName = 0;
    if (RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, &longestSubKey, nullptr,
                         nullptr, &longestValueName, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        m_subKeyName.assign(longestSubKey + 1, '\0');
        m_valueName.assign(longestValueName + 1, '\0');
    }
}

void WinRegistry::Close()
{
    if (m_key && m_ownsHandle) {
        RegCloseKey(m_key);
    }
    m_key = nullptr;
    m_ownsHandle = false;
    std::vector<char>().swap(m_valueName);
    std::vector<char>().swap(m_subKeyName);
}

void WinRegistry::FlushKey()
{
    if (m_key) {
        RegFlushKey(m_key);
    }
}

bool WinRegistry::ReadDword(const char* name, DWORD& value)
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
        return false;
    }
    value = data;
    return true;
}

bool WinRegistry::WriteDword(const char* name, DWORD value)
{
    return RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool WinRegistry::ReadBinary(const char* name, void* buffer, DWORD& size)
{
    DWORD type = 0;
    return RegQueryValueExA(m_key, name, nullptr, &type, static_cast<BYTE*>(buffer), &size) ==
               ERROR_SUCCESS &&
           type == REG_BINARY;
}

bool WinRegistry::WriteBinary(const char* name, const void* buffer, DWORD size)
{
    return RegSetValueExA(m_key, name, 0, REG_BINARY, static_cast<const BYTE*>(buffer), size) ==
           ERROR_SUCCESS;
}

bool WinRegistry::ReadString(const char* name, std::string& value)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) {
        return false;
    }
    std::vector<char> text(size + 1, '\0');
    DWORD readSize = size;
    if (RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &readSize) != ERROR_SUCCESS) {
        return false;
    }
    text[readSize < size ? readSize : size] = '\0';
    value = text.data();
    return true;
}

bool WinRegistry::DeleteValue(const char* name)
{
    return RegDeleteValueA(m_key, name) == ERROR_SUCCESS;
}

bool WinRegistry::ReadExact8(const char* name, void* buffer)
{
    unsigned char data[8];
    DWORD size = sizeof data;
    if (!ReadBinary(name, data, size) || size != sizeof data) {
        return false;
    }
    std::memcpy(buffer, data, sizeof data);
    return true;
}

bool WinRegistry::ReadDouble(const char* name, double& value)
{
    static_assert(sizeof(double) == 8, "doubles are stored as 8 bytes");
    return ReadExact8(name, &value);
}

bool WinRegistry::WriteDouble(const char* name, double value)
{
    return WriteBinary(name, &value, sizeof value);
}

bool WinRegistry::ReadFileTime(const char* name, FILETIME& value)
{
    static_assert(sizeof(FILETIME) == 8, "time stamps are stored as 8 bytes");
    return ReadExact8(name, &value);
}

bool WinRegistry::WriteFileTime(const char* name, const FILETIME& value)
{
    return WriteBinary(name, &value, sizeof value);
}

} // namespace lumo
