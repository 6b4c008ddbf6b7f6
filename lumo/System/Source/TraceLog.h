#pragma once
// Debug output of the whole program: printf-style lines sent to the debugger.
#include <cstdarg>

// Formats one line (at most 4093 characters, trailing white space removed, CR LF appended)
// and passes it to OutputDebugStringA and to the trace sink, if one is set.
void TraceLog(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

namespace lumo {

constexpr int kTraceBufferSize = 4096;
constexpr int kTraceMaxText = 4093;

// The formatting step of TraceLog: fills buffer (kTraceBufferSize bytes) with the finished line,
// CR LF and NUL included, and returns its length without the NUL.
int FormatTraceLine(char* buffer, const char* format, va_list args);
// The rest of that step, given what the formatter returned: the text is measured where a
// formatter failed (negative result) or cut it, so only bytes it wrote are used.
int FinishTraceLine(char* buffer, int formatted);

// Receives every finished line in addition to the debugger; for tests that assert trace lines.
// The sink may be called from any thread; nullptr removes it.
using TraceSink = void (*)(void* context, const char* line);
void SetTraceSink(TraceSink sink, void* context);

} // namespace lumo
