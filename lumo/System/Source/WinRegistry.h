#pragma once
// Short-lived registry key object through which every persistent setting passes.
// Opened with full access, used for a few values, closed again; no caching here.
#include <windows.h>
#include <string>
#include <vector>

namespace lumo {

class WinRegistry
{
public:
    WinRegistry();
    virtual ~WinRegistry();
    WinRegistry(const WinRegistry&) = delete;
    WinRegistry& operator=(const WinRegistry&) = delete;

    // create true: RegCreateKeyExA (missing keys are created); false: RegOpenKeyExA.
    // Opening an open object is a programming error.
    virtual bool Open(HKEY root, const char* path, bool create);
    // Uses a handle opened elsewhere; owns it (closes it) only when told so.
    virtual void Attach(HKEY key, bool ownsHandle);
    virtual void Close();
    bool IsOpen() const { return m_key != nullptr; }
    HKEY Handle() const { return m_key; }

    virtual void FlushKey();

    // True only for a REG_DWORD of exactly 4 bytes.
    virtual bool ReadDword(const char* name, DWORD& value);
    virtual bool WriteDword(const char* name, DWORD value);
    // size: the buffer's size in, the value's size out. True only for REG_BINARY.
    virtual bool ReadBinary(const char* name, void* buffer, DWORD& size);
    virtual bool WriteBinary(const char* name, const void* buffer, DWORD size);
    // REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ, copied as stored (no expansion).
    virtual bool ReadString(const char* name, std::string& value);
    virtual bool DeleteValue(const char* name);

    // The 8-byte binary items: true only when exactly 8 bytes are stored, so that a value of
    // another size is never taken as a truncated or half-filled number.
    bool ReadDouble(const char* name, double& value);
    bool WriteDouble(const char* name, double value);
    bool ReadFileTime(const char* name, FILETIME& value);
    bool WriteFileTime(const char* name, const FILETIME& value);

    // Enumeration buffers, sized from the key when it is opened (empty when the query fails).
    const std::vector<char>& ValueNameBuffer() const { return m_valueName; }
    const std::vector<char>& SubKeyNameBuffer() const { return m_subKeyName; }

private:
    void AllocateNameBuffers();
    bool ReadExact8(const char* name, void* buffer);

    HKEY m_key;
    bool m_ownsHandle;
    std::vector<char> m_valueName;
    std::vector<char> m_subKeyName;
};

} // namespace lumo
