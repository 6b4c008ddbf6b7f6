// sysctlsim.exe: a stand-in for the maker's system-control service. It answers the
// overclocking-state request on its pipe with configurable words, a failure or a delay, and
// records every request. See sim/peers/README.md.
#include "sim/board/Board.h"
#include "sim/peers/kit/PeerRuntime.h"
#include "sim/peers/kit/PeerText.h"

#include <windows.h>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

using namespace tvsim;

const char kSysCtrlPipe[] = "KALDO SYSTEM CONTROL PIPE";
const char kDefaultControl[] = "tetravolt sysctlsim control";
constexpr DWORD kGetOverclockState = 0x80000001;

const char kUsage[] =
    "usage: sysctlsim.exe [options]\n"
    "Stand-in for the system-control service: serves \"KALDO SYSTEM CONTROL PIPE\" until told\n"
    "to quit. Request 0x80000001 is answered with status 1 and the configured words.\n"
    "  --control NAME   control pipe name (default \"tetravolt sysctlsim control\")\n"
    "  --words W0,W1,.. the reply's payload words, or none (default 1,0: not overclocked)\n"
    "  --fail           answer with status 0 and no payload\n"
    "  --delay MS       answer every request MS milliseconds late (default 0)\n"
    "  --instances N    pipe instances, 1..16 (default 2)\n"
    "  --verbose        print every request served\n"
    "  --help           this text\n"
    "Numbers are decimal or 0x-hexadecimal. Control commands: see sim/peers/README.md.\n";

int Usage(const std::string& problem)
{
    return PrintUsage("sysctlsim", kUsage, problem);
}

class ServiceState
{
public:
    Bytes Answer(const Bytes& request)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        DWORD code = 0;
        Bytes reply;
        if (!m_fail && GetWord(request, 0, code) && code == kGetOverclockState) {
            PutWord(reply, 1);
            for (DWORD word : m_words) {
                PutWord(reply, word);
            }
        } else {
            PutWord(reply, 0);
        }
        return reply;
    }
    void SetWords(std::vector<DWORD> words)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_words = std::move(words);
    }
    void SetFail(bool fail)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_fail = fail;
    }
    void SetDelay(DWORD ms)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_delay = ms;
    }
    DWORD Delay()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_delay;
    }
    std::string Describe()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        std::string text = "words";
        for (DWORD word : m_words) {
            text += " " + HexNumber(word);
        }
        return text + "\nfail " + (m_fail ? "on" : "off") + "\ndelay " + std::to_string(m_delay);
    }

private:
    std::mutex m_lock;
    // Word 0 is the overclocking state: 1 and 2 mean not overclocked.
    std::vector<DWORD> m_words{1, 0};
    bool m_fail = false;
    DWORD m_delay = 0;
};

bool ParseWordList(const std::vector<std::string>& texts, std::vector<DWORD>& words)
{
    words.clear();
    for (const std::string& text : texts) {
        DWORD word;
        if (!ParseNumber(text, word)) {
            return false;
        }
        words.push_back(word);
    }
    return words.size() <= 1000;
}

std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

bool Control(ServiceState& service, const std::vector<std::string>& words, std::string& reply)
{
    const std::string& verb = words[0];
    size_t n = words.size();
    DWORD a = 0;
    std::vector<DWORD> list;
    reply = "ok";
    if (verb == "show" && n == 1) {
        reply = "ok\n" + service.Describe();
    } else if (verb == "words" &&
               ParseWordList(std::vector<std::string>(words.begin() + 1, words.end()), list)) {
        service.SetWords(list);
    } else if (verb == "fail" && n == 2 && (words[1] == "on" || words[1] == "off")) {
        service.SetFail(words[1] == "on");
    } else if (verb == "delay" && n == 2 && ParseNumber(words[1], a)) {
        service.SetDelay(a);
    } else {
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ServiceState service;
    std::string control = kDefaultControl;
    DWORD instances = 2;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        DWORD a = 0;
        std::vector<DWORD> list;
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            return Usage("");
        } else if (arg == "--fail") {
            service.SetFail(true);
            continue;
        } else if (arg == "--verbose") {
            verbose = true;
            continue;
        }
        if (i + 1 >= argc) {
            return Usage("unknown option or missing value: " + arg);
        }
        std::string value = argv[++i];
        if (arg == "--control" && !value.empty()) {
            control = value;
        } else if (arg == "--words" &&
                   (value == "none" || ParseWordList(SplitCommas(value), list))) {
            service.SetWords(list);
        } else if (arg == "--delay" && ParseNumber(value, a)) {
            service.SetDelay(a);
        } else if (arg == "--instances" && ParseNumber(value, a) && a >= 1 && a <= 16) {
            instances = a;
        } else {
            return Usage("bad option: " + arg + " " + value);
        }
    }

    PeerRuntime runtime;
    runtime.Log().SetStamper([] { return simboard::TakeStamp(); });
    std::string error;
    if (!runtime.ServeRecorded(
            kSysCtrlPipe, static_cast<int>(instances), "sysctlsim", verbose,
            [&] { return service.Delay(); },
            [&](const Bytes& request) { return service.Answer(request); }, error) ||
        !runtime.StartControl(
            control,
            [&](const std::vector<std::string>& words, std::string& reply) {
                return Control(service, words, reply);
            },
            error)) {
        std::fprintf(stderr, "sysctlsim: %s\n", error.c_str());
        return 3;
    }
    runtime.WaitForStop();
    return 0;
}
