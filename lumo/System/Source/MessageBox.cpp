#include "lumo/System/Source/MessageBox.h"

#include "lumo/System/Source/Owners.h"
#include "lumo/System/Source/TraceLog.h"

#include <memory>
#include <mutex>
#include <string>

namespace lumo {
namespace {

std::mutex g_lock;
MessageBoxHook g_hook = nullptr;
void* g_context = nullptr;

struct AsideBox
{
    std::string text;
    std::string caption;
    UINT type;
};

DWORD WINAPI ShowAside(void* context)
{
    std::unique_ptr<AsideBox> box(static_cast<AsideBox*>(context));
    MessageBoxA(nullptr, box->text.c_str(), box->caption.c_str(), box->type);
    return 0;
}

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

void ShowMessageBoxAside(const char* text, const char* caption, UINT type)
{
    MessageBoxHook hook;
    void* context;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        hook = g_hook;
        context = g_context;
    }
    if (hook) {
        hook(context, nullptr, text, caption, type);
        return;
    }
    auto box = std::make_unique<AsideBox>(AsideBox{text ? text : "", caption ? caption : "", type});
    KernelHandle shower(CreateThread(nullptr, 0, &ShowAside, box.get(), 0, nullptr));
    if (shower) {
        box.release();
        return;
    }
    TraceLog("[ShowMessageBoxAside] CreateThread failed! GetLastError returned %lu",
             GetLastError());
    ShowAside(box.release());
}

void SetMessageBoxHook(MessageBoxHook hook, void* context)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_hook = hook;
    g_context = context;
}

} // namespace lumo
