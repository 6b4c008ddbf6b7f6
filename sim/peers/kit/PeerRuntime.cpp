#include "sim/peers/kit/PeerRuntime.h"

#include "sim/peers/kit/PeerText.h"

#include <cstdio>

namespace tvsim {
namespace {

PeerRuntime* g_runtime = nullptr;

Bytes ToBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

} // namespace

void RequestLog::SetStamper(Stamper stamper)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_stamper = std::move(stamper);
}

void RequestLog::SetKept(size_t kept)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_kept = kept ? kept : 1;
    while (m_requests.size() > m_kept) {
        m_lastDropped = m_requests.front().stamp.sequence;
        m_requests.pop_front();
    }
}

void RequestLog::Record(const Bytes& request)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_requests.size() >= m_kept) {
        m_lastDropped = m_requests.front().stamp.sequence;
        m_requests.pop_front();
    }
    Entry entry;
    if (m_stamper) {
        entry.stamp = m_stamper();
    }
    entry.bytes = request;
    m_requests.push_back(std::move(entry));
    ++m_count;
}

std::string RequestLog::Format(uint32_t since) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::string text = "ok " + std::to_string(m_count);
    const unsigned long dropped = m_count - static_cast<unsigned long>(m_requests.size());
    if (dropped && (m_lastDropped > since || (since == 0 && m_lastDropped == 0))) {
        text += "\n-- " + std::to_string(dropped) + " dropped, the newest " +
                std::to_string(m_lastDropped) + " --";
    }
    for (const Entry& entry : m_requests) {
        if (entry.stamp.sequence > since || since == 0) {
            text += "\n" + std::to_string(entry.stamp.sequence) + " " +
                    std::to_string(entry.stamp.ms) + " " + HexBytes(entry.bytes);
        }
    }
    return text;
}

unsigned long RequestLog::Count() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_count;
}

void RequestLog::Clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_requests.clear();
    m_count = 0;
    m_lastDropped = 0;
}

PeerRuntime::PeerRuntime() : m_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    g_runtime = this;
    SetConsoleCtrlHandler(&PeerRuntime::OnConsoleEvent, TRUE);
}

PeerRuntime::~PeerRuntime()
{
    RequestStop();
    m_servers.clear();
    SetConsoleCtrlHandler(&PeerRuntime::OnConsoleEvent, FALSE);
    g_runtime = nullptr;
    CloseHandle(m_stop);
}

BOOL WINAPI PeerRuntime::OnConsoleEvent(DWORD)
{
    if (g_runtime) {
        g_runtime->RequestStop();
    }
    return TRUE;
}

bool PeerRuntime::Serve(const std::string& name, int instances, PipeHandler handler,
                        std::string& error)
{
    m_servers.emplace_back(
        new MessagePipeServer("\\\\.\\pipe\\" + name, instances, m_stop, std::move(handler)));
    return m_servers.back()->Start(error);
}

bool PeerRuntime::ServeRecorded(const std::string& name, int instances, const char* tag,
                                bool verbose, std::function<DWORD()> delay, PipeHandler answer,
                                std::string& error)
{
    return Serve(
        name, instances,
        [this, tag, verbose, delay, answer](const Bytes& request) {
            m_log.Record(request);
            if (verbose) {
                std::printf("%s: request %s\n", tag, HexBytes(request).c_str());
            }
            const DWORD ms = delay();
            if (ms && !Pause(ms)) {
                return Bytes();
            }
            return answer(request);
        },
        error);
}

bool PeerRuntime::StartControl(const std::string& name, CommandHandler handler, std::string& error)
{
    m_handler = std::move(handler);
    return Serve(
        name, 2,
        [this](const Bytes& request) {
            return ToBytes(Control(std::string(request.begin(), request.end())));
        },
        error);
}

std::string PeerRuntime::Control(const std::string& command)
{
    std::vector<std::string> words = SplitWords(command);
    if (words.empty()) {
        return "error: empty command";
    }
    const std::string& verb = words[0];
    if (verb == "ping" && words.size() == 1) {
        return "ok";
    }
    if (verb == "quit" && words.size() == 1) {
        RequestStop();
        return "ok";
    }
    if (verb == "requests" && words.size() == 1) {
        return m_log.Format();
    }
    DWORD since = 0;
    if (verb == "requests" && words.size() == 3 && words[1] == "--since" &&
        ParseNumber(words[2], since)) {
        return m_log.Format(since);
    }
    if (verb == "count" && words.size() == 1) {
        return "ok " + std::to_string(m_log.Count());
    }
    if (verb == "clear" && words.size() == 1) {
        m_log.Clear();
        return "ok";
    }
    std::string reply;
    if (m_handler && m_handler(words, reply)) {
        return reply;
    }
    return "error: unknown command or wrong arguments: " + command;
}

void PeerRuntime::WaitForStop()
{
    WaitForSingleObject(m_stop, INFINITE);
    for (auto& server : m_servers) {
        server->Join();
    }
}

} // namespace tvsim
