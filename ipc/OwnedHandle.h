#pragma once
// Owner of one kernel handle (event, thread, pipe end); closes it on destruction.
#include <windows.h>

namespace tv {

class OwnedHandle
{
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : m_handle(Valid(handle) ? handle : nullptr) {}
    ~OwnedHandle() { Reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(HANDLE handle = nullptr)
    {
        if (m_handle) {
            CloseHandle(m_handle);
        }
        m_handle = Valid(handle) ? handle : nullptr;
    }

private:
    static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }

    HANDLE m_handle = nullptr;
};

} // namespace tv
