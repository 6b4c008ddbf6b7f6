#include "lumo/System/Source/MessageBox.h"

#include <mutex>

namespace lumo {
namespace {

std::mutex g_lock;
MessageBoxHook g_hook = nullptr;
void* g_context = nullptr;

} // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    MessageBoxHook hook;
    void* context;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        hook = g_hook;
        context = g_context;
    }
    if (hook) {
        return hook(context, owner, text, caption, type);
    }
    return MessageBoxA(owner, text, caption, type);
}

void SetMessageBoxHook(MessageBoxHook hook, void* context)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_hook = hook;
    g_context = context;
}

} // namespace lumo
