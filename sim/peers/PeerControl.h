#pragma once
// Client of a pipe peer's control channel (cardsim.exe, sysctlsim.exe), for tests and
// benchmarks. Header only, raw Win32; every call is bounded in time, so a stuck or absent peer
// fails a test instead of hanging it. The commands are listed in sim/peers/README.md.
#include <windows.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace tvsim {

inline constexpr char kCardSimControl[] = "tetravolt cardsim control";
inline constexpr char kSysCtlSimControl[] = "tetravolt sysctlsim control";

class PeerControl
{
public:
    explicit PeerControl(std::string name) : m_path("\\\\.\\pipe\\" + std::move(name)) {}

    // Sends one command. True when the peer answered "ok..."; reply gets the whole answer
    // ("ok ...", "error: ..."), or the transport failure.
    bool Send(const std::string& command, std::string* reply = nullptr,
              DWORD timeoutMs = 8000) const
    {
        std::string answer;
        bool sent = Transact(command, answer, timeoutMs);
        if (reply) {
            *reply = answer;
        }
        return sent && answer.compare(0, 2, "ok") == 0;
    }

    // The text after "ok " (empty when the command failed).
    std::string Ask(const std::string& command) const
    {
        std::string answer;
        if (!Send(command, &answer)) {
            return std::string();
        }
        return answer.size() > 3 ? answer.substr(3) : std::string();
    }

    // Polls "ping" until the peer answers (it serves all its pipes once it does).
    bool WaitReady(DWORD timeoutMs) const
    {
        DWORD start = GetTickCount();
        do {
            if (Send("ping", nullptr, 1000)) {
                return true;
            }
            Sleep(50);
        } while (GetTickCount() - start < timeoutMs);
        return false;
    }

    // Every request the peer recorded, oldest first, as raw bytes.
    std::vector<std::vector<unsigned char>> Requests() const
    {
        std::vector<std::vector<unsigned char>> requests;
        std::string answer;
        if (!Send("requests", &answer)) {
            return requests;
        }
        size_t line = answer.find('\n');
        while (line != std::string::npos) {
            size_t next = answer.find('\n', line + 1);
            std::string hex = answer.substr(line + 1, next == std::string::npos ? std::string::npos
                                                                                : next - line - 1);
            std::vector<unsigned char> bytes;
            for (size_t i = 0; i + 1 < hex.size(); i += 2) {
                bytes.push_back(
                    static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
            }
            requests.push_back(bytes);
            line = next;
        }
        return requests;
    }

    // Number of requests served since start or "clear"; -1 when the peer did not answer.
    long Count() const
    {
        std::string answer;
        if (!Send("count", &answer) || answer.size() < 4) {
            return -1;
        }
        return std::stol(answer.substr(3));
    }

private:
    bool Transact(const std::string& command, std::string& answer, DWORD timeoutMs) const
    {
        DWORD start = GetTickCount();
        auto remaining = [&]() -> DWORD {
            DWORD elapsed = GetTickCount() - start;
            return elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        };
        HANDLE pipe;
        for (;;) {
            pipe = CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
            if (pipe != INVALID_HANDLE_VALUE) {
                break;
            }
            DWORD error = GetLastError();
            if (error != ERROR_PIPE_BUSY || remaining() == 0) {
                answer =
                    "transport: cannot open " + m_path + ", GetLastError " + std::to_string(error);
                return false;
            }
            WaitNamedPipeA(m_path.c_str(), remaining() < 100 ? remaining() : 100);
        }
        DWORD mode = PIPE_READMODE_MESSAGE;
        SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
        HANDLE io = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        DWORD bytes = 0;
        bool ok = Io(pipe, io, true, const_cast<char*>(command.data()),
                     static_cast<DWORD>(command.size()), remaining(), bytes) == ERROR_SUCCESS;
        answer.clear();
        while (ok) {
            char chunk[4096];
            DWORD error = Io(pipe, io, false, chunk, sizeof chunk, remaining(), bytes);
            answer.append(chunk, bytes);
            if (error == ERROR_SUCCESS) {
                break;
            }
            ok = error == ERROR_MORE_DATA;
        }
        CloseHandle(io);
        CloseHandle(pipe);
        if (!ok) {
            answer = "transport: no answer from " + m_path;
        }
        return ok;
    }

    // One overlapped read or write, cancelled and completed when the time is up.
    static DWORD Io(HANDLE pipe, HANDLE io, bool write, char* buffer, DWORD size, DWORD timeoutMs,
                    DWORD& bytes)
    {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = io;
        bytes = 0;
        BOOL done = write ? WriteFile(pipe, buffer, size, nullptr, &overlapped)
                          : ReadFile(pipe, buffer, size, nullptr, &overlapped);
        DWORD error = done ? ERROR_SUCCESS : GetLastError();
        if (error == ERROR_IO_PENDING) {
            if (WaitForSingleObject(io, timeoutMs) != WAIT_OBJECT_0) {
                CancelIo(pipe);
                GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
                bytes = 0;
                return WAIT_TIMEOUT;
            }
        } else if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) {
            return error;
        }
        if (!GetOverlappedResult(pipe, &overlapped, &bytes, TRUE)) {
            return GetLastError();
        }
        return ERROR_SUCCESS;
    }

    std::string m_path;
};

// The words as a request or reply carries them (little-endian).
inline std::vector<unsigned char> Words(std::initializer_list<DWORD> words)
{
    std::vector<unsigned char> bytes;
    for (DWORD word : words) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<unsigned char>(word >> (8 * i)));
        }
    }
    return bytes;
}

// Word index of a request or reply (little-endian), 0 past its end.
inline DWORD WordAt(const std::vector<unsigned char>& bytes, size_t index)
{
    DWORD word = 0;
    for (size_t i = 0; i < 4 && index * 4 + i < bytes.size(); ++i) {
        word |= static_cast<DWORD>(bytes[index * 4 + i]) << (8 * i);
    }
    return word;
}

} // namespace tvsim
