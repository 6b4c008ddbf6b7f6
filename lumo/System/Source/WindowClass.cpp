#include "lumo/System/Source/WindowClass.h"

#include "lumo/System/Source/TraceLog.h"

#include <mutex>
#include <set>
#include <string>

namespace lumo {
namespace {

std::mutex g_lock;

// Class names registered by this process so far.
std::set<std::string>& Registered()
{
    static std::set<std::string>* names = new std::set<std::string>;
    return *names;
}

} // namespace

bool RegisterWindowClass(const char* tag, WNDCLASSEXA windowClass)
{
    std::lock_guard<std::mutex> guard(g_lock);
    const std::string name = windowClass.lpszClassName ? windowClass.lpszClassName : "";
    if (!name.empty() && Registered().count(name)) {
        return true;
    }
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        TraceLog("[%s] RegisterClassEx %s failed! GetLastError returned %lu", tag, name.c_str(),
                 GetLastError());
        return false;
    }
    Registered().insert(name);
    return true;
}

} // namespace lumo
