#include "lumo/System/Source/ProgramDir.h"

#include <windows.h>
#include <shlobj.h>
#include <vector>

namespace lumo {

std::string ProgramDirectory()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < path.size()) {
            std::string file(path.data(), length);
            return file.substr(0, file.find_last_of('\\') + 1);
        }
        path.resize(path.size() * 2);
    }
}

std::string SystemDirectory()
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_SYSTEM | CSIDL_FLAG_CREATE, nullptr, 0, path))) {
        return std::string();
    }
    return std::string(path);
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace lumo
