// Plays another of the maker's programs working on the hardware-monitor chip: takes the shared
// lock "KALDO_SIO_MUTEX", signals the event named by its first argument, and gives the lock back
// when the event named by its second argument is set (or after 30 s).
// Exit codes: 0 done, 2 usage, 3 the lock was not free within 10 s, 4 the events were missing.
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        return 2;
    }
    HANDLE lock = CreateEventA(nullptr, FALSE, TRUE, "KALDO_SIO_MUTEX");
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!lock || !held || !release) {
        return 4;
    }
    if (WaitForSingleObject(lock, 10000) != WAIT_OBJECT_0) {
        return 3;
    }
    ResetEvent(lock);
    SetEvent(held);
    WaitForSingleObject(release, 30000);
    SetEvent(lock);
    return 0;
}
