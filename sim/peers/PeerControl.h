#pragma once
// Client of a pipe peer's control channel (cardsim.exe, sysctlsim.exe), for tests and
// benchmarks. Header only, raw Win32; every call is bounded in time, so a stuck or absent peer
// fails a test instead of hanging it. The commands are listed in sim/peers/README.md. The
// request log's entries carry the board's sequence numbers and times (sim/board/Stamp.h), so a
// test compares them with the board's journal and chip record.
#include "sim/board/Stamp.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace tvsim {

inline constexpr char kCardSimControl[] = "tetravolt cardsim control";
inline constexpr char kSysCtlSimControl[] = "tetravolt sysctlsim control";

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

// One request a peer served, stamped with the board's counter and clock (sim/board/Stamp.h).
struct PeerRequest : simboard::Stamp
{
    std::vector<unsigned char> bytes;

    DWORD Word(size_t index) const { return WordAt(bytes, index); }
};

// A peer's request log as "requests" reports it.
struct PeerLog
{
    bool answered = false;             // false when the peer did not answer
    unsigned long count = 0;           // requests served since the start or "clear"
    unsigned long dropped = 0;         // requests the log no longer keeps
    uint32_t lastDropped = 0;          // sequence of the newest of them
    std::vector<PeerRequest> requests; // oldest first

    // Whether requests after `sequence` were lost (unstamped drops count as lost).
    bool DroppedAfter(uint32_t sequence) const
    {
        return dropped && (lastDropped > sequence || lastDropped == 0);
    }
    // The first request after sequence `after` whose first word is `code`.
    std::optional<PeerRequest> Find(DWORD code, uint32_t after = 0) const
    {
        for (const PeerRequest& request : requests) {
            if (request.sequence > after && request.bytes.size() >= 4 && request.Word(0) == code) {
                return request;
            }
        }
        return std::nullopt;
    }
};

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

    // The requests the peer recorded after sequence `since` (0: all it keeps), oldest first.
    // The answer: "ok COUNT", maybe "-- N dropped, the newest SEQ --", then "SEQ MS HEX" lines.
    PeerLog Log(uint32_t since = 0) const
    {
        PeerLog log;
        std::string answer;
        if (!Send(since ? "requests --since " + std::to_string(since) : "requests", &answer)) {
            return log;
        }
        log.answered = true;
        size_t begin = 0;
        bool first = true;
        while (begin <= answer.size()) {
            size_t end = answer.find('\n', begin);
            std::string line =
                answer.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
            begin = end == std::string::npos ? answer.size() + 1 : end + 1;
            if (first) {
                log.count = line.size() > 3 ? std::strtoul(line.c_str() + 3, nullptr, 10) : 0;
                first = false;
                continue;
            }
            unsigned long dropped = 0;
            unsigned lastDropped = 0;
            if (std::sscanf(line.c_str(), "-- %lu dropped, the newest %u --", &dropped,
                            &lastDropped) == 2) {
                log.dropped = dropped;
                log.lastDropped = lastDropped;
                continue;
            }
            size_t blank1 = line.find(' ');
            size_t blank2 = blank1 == std::string::npos ? blank1 : line.find(' ', blank1 + 1);
            if (blank2 == std::string::npos) {
                continue;
            }
            PeerRequest request;
            request.sequence = static_cast<uint32_t>(std::strtoul(line.c_str(), nullptr, 10));
            request.ms = std::strtoull(line.c_str() + blank1 + 1, nullptr, 10);
            for (size_t i = blank2 + 1; i + 1 < line.size(); i += 2) {
                request.bytes.push_back(
                    static_cast<unsigned char>(std::stoul(line.substr(i, 2), nullptr, 16)));
            }
            log.requests.push_back(std::move(request));
        }
        return log;
    }

    // Every request the peer recorded, oldest first, as raw bytes.
    std::vector<std::vector<unsigned char>> Requests() const
    {
        std::vector<std::vector<unsigned char>> requests;
        for (PeerRequest& request : Log().requests) {
            requests.push_back(std::move(request.bytes));
        }
        return requests;
    }

    // Polls the log until a request with first word `code` after sequence `after` is there.
    std::optional<PeerRequest> WaitForRequest(DWORD code, uint32_t after, DWORD timeoutMs) const
    {
        DWORD start = GetTickCount();
        for (;;) {
            if (auto request = Log(after).Find(code, after)) {
                return request;
            }
            if (GetTickCount() - start >= timeoutMs) {
                return std::nullopt;
            }
            Sleep(20);
        }
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

} // namespace tvsim
