// Test caller of the launcher library, as the installation package calls it: loads
// DrvLauncher.dll from its own folder and calls KdCheckOS_DrvSetup with its first argument
// ("-null" passes a null folder, "-empty" an empty one). Prints what it sees of the machine
// and the result: "version=MAJOR.MINOR intel=0|1 result=N".
#include <windows.h>
#include <cpuid.h>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of('\\') + 1);
    HMODULE library = LoadLibraryA((folder + "DrvLauncher.dll").c_str());
    if (!library) {
        std::printf("no library\n");
        return 2;
    }
    using CheckFn = int(WINAPI*)(const char*);
    auto check = reinterpret_cast<CheckFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "KdCheckOS_DrvSetup")));
    if (!check) {
        std::printf("no export\n");
        return 2;
    }

    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid(0, eax, ebx, ecx, edx);
    bool intel = std::memcmp(&ebx, "Genu", 4) == 0 && std::memcmp(&edx, "ineI", 4) == 0;

    const char* argument = argc > 1 ? argv[1] : "-null";
    if (std::strcmp(argument, "-null") == 0) {
        argument = nullptr;
    } else if (std::strcmp(argument, "-empty") == 0) {
        argument = "";
    }
    int result = check(argument);
    std::printf("\nversion=%lu.%lu intel=%d result=%d\n", version.dwMajorVersion,
                version.dwMinorVersion, intel ? 1 : 0, result);
    return 0;
}
