// Another process calling the power-gear stand-in beside it, for the tests of the records'
// shared order: IsItemSupported(TAG * 100000 + i) for i = 0 .. COUNT-1.
//   sim_caller free COUNT TAG GO          all calls at once after the event GO is set
//   sim_caller turns COUNT TAG MINE THEIRS  each call when MINE is set, then sets THEIRS
// Exit codes: 0 done, 2 usage, 3 the library or an event is missing, 4 a turn did not come.
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <string>

typedef unsigned char(__stdcall* ItemFn)(int);

int main(int argc, char** argv)
{
    bool turns = argc == 6 && std::strcmp(argv[1], "turns") == 0;
    if (!turns && !(argc == 5 && std::strcmp(argv[1], "free") == 0)) {
        return 2;
    }
    const int count = std::atoi(argv[2]);
    const int tag = std::atoi(argv[3]);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.erase(folder.find_last_of('\\') + 1);
    HMODULE gear = LoadLibraryA((folder + "OptiGear.dll").c_str());
    auto supported = gear ? reinterpret_cast<ItemFn>(
                                reinterpret_cast<void*>(GetProcAddress(gear, "IsItemSupported")))
                          : nullptr;
    HANDLE mine = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
    HANDLE theirs = turns ? OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[5]) : nullptr;
    if (!supported || !mine || (turns && !theirs)) {
        return 3;
    }
    if (!turns && WaitForSingleObject(mine, 10000) != WAIT_OBJECT_0) {
        return 4;
    }
    for (int i = 0; i < count; ++i) {
        if (turns && WaitForSingleObject(mine, 10000) != WAIT_OBJECT_0) {
            return 4;
        }
        supported(tag * 100000 + i);
        if (turns) {
            SetEvent(theirs);
        }
    }
    return 0;
}
