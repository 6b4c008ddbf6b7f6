#include "sim/board/SharedBoard.h"

#include "sim/board/Preset.h"
#include "lumo/System/Source/TraceLog.h"

#include <windows.h>
#include <mutex>
#include <string>

namespace simboard {

namespace {

const char kMappingName[] = "TetravoltBoardSim.State";
const char kMutexName[] = "TetravoltBoardSim.Mutex";
const char kFileName[] = "TetravoltBoardSim.state";
const DWORD kLockTimeoutMs = 10000;

class Handle
{
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_handle = other.m_handle;
            other.m_handle = nullptr;
        }
        return *this;
    }
    HANDLE Get() const { return m_handle; }
    void Reset()
    {
        if (m_handle) {
            CloseHandle(m_handle);
            m_handle = nullptr;
        }
    }

private:
    HANDLE m_handle = nullptr;
};

bool Acquire(HANDLE mutex)
{
    DWORD wait = WaitForSingleObject(mutex, kLockTimeoutMs);
    // An abandoned mutex means a process died while holding it; the state is still consistent
    // enough for test equipment, and refusing would wedge every later call.
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        return true;
    }
    TraceLog("[BoardSim] waiting for %s failed (%lu), GetLastError returned %lu", kMutexName, wait,
             GetLastError());
    return false;
}

bool IsValid(const BoardState& state)
{
    return state.magic == kStateMagic && state.version == kStateVersion &&
           state.size == sizeof(BoardState);
}

// The process's view of the board; opened once, kept until the process ends.
class SharedBoard
{
public:
    SharedBoard() = default;
    ~SharedBoard()
    {
        if (m_view) {
            UnmapViewOfFile(m_view);
        }
    }
    SharedBoard(const SharedBoard&) = delete;
    SharedBoard& operator=(const SharedBoard&) = delete;

    // The view, opened and (when new) initialised under the held mutex; null on failure.
    BoardState* Lock()
    {
        std::lock_guard<std::mutex> guard(m_openLock);
        if (!m_mutex.Get()) {
            m_mutex = Handle(CreateMutexA(nullptr, FALSE, kMutexName));
            if (!m_mutex.Get()) {
                TraceLog("[BoardSim] CreateMutex failed, GetLastError returned %lu",
                         GetLastError());
                return nullptr;
            }
        }
        if (!Acquire(m_mutex.Get())) {
            return nullptr;
        }
        if (!m_view && !Map()) {
            ReleaseMutex(m_mutex.Get());
            return nullptr;
        }
        if (!IsValid(*m_view)) {
            std::string error;
            if (!InitialiseFromConfiguration(*m_view, &error)) {
                TraceLog("[BoardSim] the board could not be created: %s", error.c_str());
                ReleaseMutex(m_mutex.Get());
                return nullptr;
            }
        }
        return m_view;
    }

    void Unlock() { ReleaseMutex(m_mutex.Get()); }

private:
    bool Map()
    {
        char temp[MAX_PATH + 1] = {};
        DWORD length = GetTempPathA(sizeof temp, temp);
        if (length == 0 || length >= sizeof temp) {
            TraceLog("[BoardSim] GetTempPath failed, GetLastError returned %lu", GetLastError());
            return false;
        }
        std::string path = std::string(temp) + kFileName;
        Handle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Get()) {
            TraceLog("[BoardSim] CreateFile %s failed, GetLastError returned %lu", path.c_str(),
                     GetLastError());
            return false;
        }
        Handle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READWRITE, 0,
                                          sizeof(BoardState), kMappingName));
        if (!mapping.Get()) {
            TraceLog("[BoardSim] CreateFileMapping failed, GetLastError returned %lu",
                     GetLastError());
            return false;
        }
        void* view = MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(BoardState));
        if (!view) {
            // Also the case when an older build holds a smaller section.
            TraceLog("[BoardSim] MapViewOfFile failed, GetLastError returned %lu", GetLastError());
            return false;
        }
        m_file = std::move(file);
        m_mapping = std::move(mapping);
        m_view = static_cast<BoardState*>(view);
        return true;
    }

    std::mutex m_openLock;
    Handle m_mutex;
    Handle m_file;
    Handle m_mapping;
    BoardState* m_view = nullptr;
};

SharedBoard& Board()
{
    static SharedBoard board;
    return board;
}

} // namespace

BoardLock::BoardLock() : m_state(Board().Lock()) {}

BoardLock::~BoardLock()
{
    if (m_state) {
        Board().Unlock();
    }
}

const char* StateMappingName()
{
    return kMappingName;
}

const char* StateMutexName()
{
    return kMutexName;
}

} // namespace simboard
