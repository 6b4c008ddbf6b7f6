#include "lumo/System/Source/TraceLog.h"

#include <windows.h>
#include <cctype>
#include <cstdio>
#include <mutex>

namespace lumo {
namespace {

std::mutex g_sinkLock;
TraceSink g_sink = nullptr;
void* g_sinkContext = nullptr;

} // namespace

int FormatTraceLine(char* buffer, const char* format, va_list args)
{
    int length = std::vsnprintf(buffer, kTraceMaxText + 1, format, args);
    // The runtime's formatter reports the untruncated length, other runtimes a negative value:
    // either way the text in the buffer ends at kTraceMaxText.
    if (length < 0 || length > kTraceMaxText) {
        length = kTraceMaxText;
    }
    while (length > 0 && std::isspace(static_cast<unsigned char>(buffer[length - 1]))) {
        --length;
    }
    buffer[length++] = '\r';
    buffer[length++] = '\n';
    buffer[length] = '\0';
    return length;
}

void SetTraceSink(TraceSink sink, void* context)
{
    std::lock_guard<std::mutex> lock(g_sinkLock);
    g_sink = sink;
    g_sinkContext = context;
}

} // namespace lumo

void TraceLog(const char* format, ...)
{
    char buffer[lumo::kTraceBufferSize];
    va_list args;
    va_start(args, format);
    lumo::FormatTraceLine(buffer, format, args);
    va_end(args);
    OutputDebugStringA(buffer);
    std::lock_guard<std::mutex> lock(lumo::g_sinkLock);
    if (lumo::g_sink) {
        lumo::g_sink(lumo::g_sinkContext, buffer);
    }
}
