#include "lumo/System/Source/TraceLog.h"

#include <windows.h>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace lumo {
namespace {

std::mutex g_sinkLock;
TraceSink g_sink = nullptr;
void* g_sinkContext = nullptr;

} // namespace

int FormatTraceLine(char* buffer, const char* format, va_list args)
{
    // A formatter that fails before writing anything leaves an empty line, not old bytes.
    buffer[0] = '\0';
    return FinishTraceLine(buffer, std::vsnprintf(buffer, kTraceMaxText + 1, format, args));
}

int FinishTraceLine(char* buffer, int formatted)
{
    int length = formatted;
    // The runtime's formatter reports the untruncated length when it cuts the text; others
    // report a negative value, also on an encoding error after a part was written, and may
    // leave the text unterminated: terminate it at the limit and measure what is there.
    if (length < 0 || length > kTraceMaxText) {
        buffer[kTraceMaxText] = '\0';
        length = static_cast<int>(std::strlen(buffer));
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
