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

bool IsValid(const BoardState& state)
{
    return state.magic == kStateMagic && state.version == kStateVersion &&
           state.size == sizeof(BoardState);
}

std::string Describe(const char* what)
{
    return std::string(what) + " failed, GetLastError returned " + std::to_string(GetLastError());
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

    // The view under the held mutex, opened on first use; a board that is new (or was left
    // unusable) is created from the configured preset unless the caller replaces it anyway.
    // Null on failure, with the reason kept for LastError.
    BoardState* Lock(bool replacing)
    {
        std::lock_guard<std::mutex> guard(m_openLock);
        if (!m_mutex.Get()) {
            m_mutex = Handle(CreateMutexA(nullptr, FALSE, kMutexName));
            if (!m_mutex.Get()) {
                return Fail(Describe("CreateMutex"));
            }
        }
        DWORD wait = WaitForSingleObject(m_mutex.Get(), kLockTimeoutMs);
        // An abandoned mutex means a process died while holding it; refusing would wedge every
        // later call.
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
            return Fail("waiting for the board's mutex " + Describe("WaitForSingleObject"));
        }
        if (!m_view && !Map()) {
            ReleaseMutex(m_mutex.Get());
            return nullptr;
        }
        if (!replacing && !IsValid(*m_view)) {
            std::string error;
            if (!InitialiseFromConfiguration(*m_view, &error)) {
                ReleaseMutex(m_mutex.Get());
                return Fail("the board could not be created: " + error);
            }
        }
        return m_view;
    }

    void Unlock() { ReleaseMutex(m_mutex.Get()); }

    std::string LastError()
    {
        std::lock_guard<std::mutex> guard(m_openLock);
        return m_lastError;
    }

private:
    BoardState* Fail(const std::string& reason)
    {
        m_lastError = reason;
        TraceLog("[BoardSim] %s", reason.c_str());
        return nullptr;
    }

    bool Map()
    {
        char temp[MAX_PATH + 1] = {};
        DWORD length = GetTempPathA(sizeof temp, temp);
        if (length == 0 || length >= sizeof temp) {
            Fail(Describe("GetTempPath"));
            return false;
        }
        std::string path = std::string(temp) + kFileName;
        Handle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Get()) {
            Fail(Describe(("CreateFile " + path).c_str()));
            return false;
        }
        Handle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READWRITE, 0,
                                          sizeof(BoardState), kMappingName));
        if (!mapping.Get()) {
            Fail(Describe("CreateFileMapping"));
            return false;
        }
        void* view = MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(BoardState));
        if (!view) {
            // Also the case when an older build holds a smaller section.
            Fail(Describe("MapViewOfFile"));
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
    std::string m_lastError;
};

SharedBoard& Board()
{
    static SharedBoard board;
    return board;
}

} // namespace

BoardLock::BoardLock(Purpose purpose) : m_state(Board().Lock(purpose == Purpose::Replace)) {}

BoardLock::~BoardLock()
{
    if (m_state) {
        Board().Unlock();
    }
}

std::string LastError()
{
    return Board().LastError();
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
