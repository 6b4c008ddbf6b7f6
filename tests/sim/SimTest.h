#pragma once
// Shared equipment of the board simulator's tests: stand-in modules loaded by path, a fresh
// default board per test, programs run with their output captured.
#include "sim/board/Board.h"
#include "tests/support/Support.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace simtest {

typedef unsigned char BOOL8;

std::string StagePath(const std::string& file);
// This process's Windows system folder + "\" + file.
std::string SystemPath(const std::string& file);

// A DLL loaded by full path for the lifetime of the object.
class Module
{
public:
    explicit Module(const std::string& path);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    HMODULE Handle() const { return m_module; }
    // The entry point, or null when it is missing.
    template <typename Function> Function Entry(const char* name) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    }
    template <typename Function> Function Ordinal(int ordinal) const
    {
        return Entry<Function>(MAKEINTRESOURCEA(ordinal));
    }

private:
    HMODULE m_module;
};

// Every test starts from the default preset.
class BoardTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(simboard::Reset("default", &error)) << error;
    }
};

struct Captured
{
    long exitCode = -1; // -1 when the program did not end in time, -2 when it did not start
    std::string out;
    std::string err;
};

// Runs a program (full path) to its end with stdout and stderr captured.
Captured RunCaptured(const std::string& program, const std::string& arguments,
                     DWORD timeoutMs = 60000);

} // namespace simtest
