#include "lumo/System/Source/TraceLog.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

std::string Format(char* buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = lumo::FormatTraceLine(buffer, format, args);
    va_end(args);
    EXPECT_EQ(static_cast<size_t>(length), std::strlen(buffer));
    return std::string(buffer, length);
}

TEST(TraceLog, TrailingWhiteSpaceIsReplacedByCrLf)
{
    char buffer[lumo::kTraceBufferSize];
    EXPECT_EQ(
        "[BasicNamedPipe<char_t>::Flush] failed, GetLastError returned 6\r\n",
        Format(buffer, "[BasicNamedPipe<char_t>::Flush] failed, GetLastError returned %d\n", 6));
    EXPECT_EQ("~~~[A] x\r\n", Format(buffer, "~~~[A] %s \t\r\n \n", "x"));
    EXPECT_EQ("  lead\r\n", Format(buffer, "  lead"));
    EXPECT_EQ("\r\n", Format(buffer, " \n\t "));
    EXPECT_EQ("\r\n", Format(buffer, "%s", ""));
}

TEST(TraceLog, LongLinesAreCutAt4093AndStayInsideTheBuffer)
{
    struct Guarded
    {
        char buffer[lumo::kTraceBufferSize];
        char guard[64];
    } g;
    std::memset(g.guard, 0x5A, sizeof g.guard);
    std::string text(5000, 'a');
    std::string line = Format(g.buffer, "%s", text.c_str());
    EXPECT_EQ(4095u, line.size());
    EXPECT_EQ(std::string(4093, 'a') + "\r\n", line);
    for (char c : g.guard) {
        ASSERT_EQ(0x5A, c) << "nothing written past the 4096-byte buffer";
    }
}

TEST(TraceLog, WhiteSpaceAtTheCutIsTrimmedToo)
{
    char buffer[lumo::kTraceBufferSize];
    std::string text = std::string(4090, 'b') + std::string(100, ' ') + "tail";
    EXPECT_EQ(std::string(4090, 'b') + "\r\n", Format(buffer, "%s", text.c_str()));
    std::string exact(4093, 'c');
    EXPECT_EQ(exact + "\r\n", Format(buffer, "%s", exact.c_str()));
}

// A formatter that fails (negative result) may have written part of the text, unterminated: only
// what it wrote is sent, never the bytes after it.
TEST(TraceLog, AFailedFormatterSendsOnlyWhatItWrote)
{
    char buffer[lumo::kTraceBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    std::memcpy(buffer, "~~~[A] part\0", 12);
    EXPECT_EQ(13, lumo::FinishTraceLine(buffer, -1));
    EXPECT_STREQ("~~~[A] part\r\n", buffer);

    std::memset(buffer, 'y', sizeof buffer);
    EXPECT_EQ(4095, lumo::FinishTraceLine(buffer, -1)) << "nothing terminated: cut at 4093";
    EXPECT_EQ(std::string(4093, 'y') + "\r\n", std::string(buffer));

    buffer[0] = '\0';
    EXPECT_EQ(2, lumo::FinishTraceLine(buffer, -1));
    EXPECT_STREQ("\r\n", buffer);
}

TEST(TraceLog, LinesReachTheSink)
{
    tvtest::TraceCapture capture;
    TraceLog("~~~[CpuPowerMonitor] Set Vga to mode %x", 0x8000);
    TraceLog("[BasicNamedPipe::Create] failed! GetLastError returned %d", 5);
    auto lines = capture.Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("~~~[CpuPowerMonitor] Set Vga to mode 8000", lines[0]);
    EXPECT_EQ("[BasicNamedPipe::Create] failed! GetLastError returned 5", lines[1]);
}

} // namespace
