#include "tests/support/TempDir.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>

namespace tvtest {
namespace {

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(folder + name + "\\");
            } else {
                DeleteFileA((folder + name).c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

TempDir::TempDir()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        char name[64];
        std::snprintf(name, sizeof name, "tvtest-%lu-%u\\", GetCurrentProcessId(), ++counter);
        m_path = std::string(base) + name;
        if (CreateDirectoryA(m_path.c_str(), nullptr)) {
            break;
        }
    }
}

TempDir::~TempDir()
{
    RemoveTree(m_path);
}

void TempDir::WriteFile(const std::string& relative, const std::string& bytes) const
{
    std::string path = m_path + relative;
    for (size_t slash = path.find('\\', m_path.size()); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    // Written behind the profile API's back: make it re-read the file.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

} // namespace tvtest
