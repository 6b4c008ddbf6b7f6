// cardsim.exe: a stand-in for the maker's graphics-card utility. It serves the card pipe,
// records every request, sends the board-pipe notifications on command and switches the
// utility's own synchronisation setting. See sim/peers/README.md.
#include "sim/peers/cardsim/CardState.h"
#include "sim/board/Board.h"
#include "sim/peers/kit/PeerRuntime.h"
#include "sim/peers/kit/PeerText.h"

#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tvsim;

const char kCardPipe[] = "KALDO QEM VGA PIPE";
const char kBoardPipePath[] = "\\\\.\\pipe\\KALDO QEM MB PIPE";
// The card utility's own key; the program only reads it.
const char kSettingKey[] = "Software\\KALDO\\QEM\\VGA";
const char kSyncValue[] = "SyncEnabled";
const char kDefaultControl[] = "tetravolt cardsim control";
constexpr DWORD kNotifyTimeoutMs = 5000;

const char kUsage[] =
    "usage: cardsim.exe [options]\n"
    "Stand-in for the graphics-card utility: serves \"KALDO QEM VGA PIPE\" until told to quit.\n"
    "  --control NAME      control pipe name (default \"tetravolt cardsim control\")\n"
    "  --caps BITS         capability bits: 1 saving, 2 power monitoring, 4 Auto (default 7)\n"
    "  --power MW          card power in milliwatts (default 35000)\n"
    "  --saving MODE=VALUE saving value of a mode (0x4000, 0, 1, 2) in 0.0001 of the power;\n"
    "                      repeatable (default 0x4000=0 0=0 1=1500 2=3000)\n"
    "  --mode MODE         the card's current mode (default 0)\n"
    "  --delay MS          answer every request MS milliseconds late (default 0)\n"
    "  --instances N       pipe instances, 1..16 (default 2)\n"
    "  --keep N            requests the log keeps, 1..100000 (default 100000)\n"
    "  --announce          send notification 0 once serving and 1 when quitting\n"
    "  --verbose           print every request served\n"
    "  --help              this text\n"
    "Numbers are decimal or 0x-hexadecimal. Control commands: see sim/peers/README.md.\n";

int Usage(const std::string& problem)
{
    return PrintUsage("cardsim", kUsage, problem);
}

struct Options
{
    std::string control = kDefaultControl;
    DWORD instances = 2;
    DWORD keep = 100000;
    bool announce = false;
    bool verbose = false;
};

bool ParseSaving(const std::string& text, DWORD& mode, DWORD& value)
{
    size_t equals = text.find('=');
    return equals != std::string::npos && ParseNumber(text.substr(0, equals), mode) &&
           ParseNumber(text.substr(equals + 1), value) && CardState::IsSavingMode(mode);
}

// Sends one notification to the board pipe: "ok STATUS BYTES" or an error.
std::string Notify(DWORD code, DWORD size)
{
    Bytes request;
    PutWord(request, code);
    request.resize(size, 0);
    Bytes reply;
    DWORD error = 0;
    if (!TimedCall(kBoardPipePath, request, reply, kNotifyTimeoutMs, error)) {
        return "error: board pipe call failed, GetLastError " + std::to_string(error);
    }
    DWORD status = 0;
    std::string text = "ok ";
    text += GetWord(reply, 0, status) ? std::to_string(status) : std::string("-");
    return text + " " + std::to_string(reply.size());
}

std::string WriteSync(const std::vector<std::string>& words)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return "error: cannot open HKLM\\" + std::string(kSettingKey);
    }
    LONG result;
    DWORD value = 0;
    const std::string& how = words[1];
    if (how == "delete" && words.size() == 2) {
        result = RegDeleteValueA(key, kSyncValue);
        if (result == ERROR_FILE_NOT_FOUND) {
            result = ERROR_SUCCESS;
        }
    } else if (how == "string" && words.size() == 3) {
        result = RegSetValueExA(key, kSyncValue, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(words[2].c_str()),
                                static_cast<DWORD>(words[2].size() + 1));
    } else if (words.size() == 2 && (how == "on" || how == "off" || ParseNumber(how, value))) {
        value = how == "on" ? 1 : how == "off" ? 0 : value;
        result = RegSetValueExA(key, kSyncValue, 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&value), sizeof value);
    } else {
        RegCloseKey(key);
        return "error: sync on|off|delete|VALUE|string TEXT";
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? "ok"
                                   : "error: registry write failed " + std::to_string(result);
}

bool Control(CardState& card, const std::vector<std::string>& words, std::string& reply)
{
    const std::string& verb = words[0];
    size_t n = words.size();
    DWORD a = 0;
    DWORD b = 0;
    reply = "ok";
    if (verb == "show" && n == 1) {
        reply = "ok\n" + card.Describe();
    } else if (verb == "caps" && n == 2 && ParseNumber(words[1], a)) {
        card.SetCapabilities(a);
    } else if (verb == "power" && n == 2 && ParseNumber(words[1], a)) {
        card.SetPower(a);
    } else if (verb == "saving" && n == 3 && ParseNumber(words[1], a) && words[2] == "none" &&
               CardState::IsSavingMode(a)) {
        card.RemoveSaving(a);
    } else if (verb == "saving" && n == 3 && ParseNumber(words[1], a) && ParseNumber(words[2], b) &&
               CardState::IsSavingMode(a)) {
        card.SetSaving(a, b);
    } else if (verb == "mode" && n == 2 && ParseNumber(words[1], a)) {
        card.SetMode(a);
    } else if (verb == "delay" && n == 2 && ParseNumber(words[1], a)) {
        card.SetDelay(a);
    } else if (verb == "pad" && n == 2 && ParseNumber(words[1], a) && a <= 65536) {
        card.SetPadding(a);
    } else if (verb == "fail" && n == 2 && words[1] == "none") {
        card.ClearFail();
    } else if (verb == "fail" && n == 2 && (words[1] == "all" || ParseNumber(words[1], a))) {
        card.SetFail(words[1] == "all", a);
    } else if (verb == "short" && n == 2 && words[1] == "none") {
        card.ClearShort();
    } else if (verb == "short" && (n == 2 || (n == 3 && ParseNumber(words[2], b))) &&
               (words[1] == "all" || ParseNumber(words[1], a))) {
        card.SetShort(words[1] == "all", a, n == 3 ? b : 0);
    } else if (verb == "notify" && (n == 2 || (n == 3 && ParseNumber(words[2], b))) &&
               ParseNumber(words[1], a) && (n == 2 || b <= 65536)) {
        reply = Notify(a, n == 3 ? b : 4);
    } else if (verb == "sync" && n >= 2) {
        reply = WriteSync(words);
    } else {
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    CardState card;
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        std::string value = hasValue ? argv[i + 1] : "";
        DWORD a = 0;
        DWORD b = 0;
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            return Usage("");
        } else if (arg == "--announce") {
            options.announce = true;
            continue;
        } else if (arg == "--verbose") {
            options.verbose = true;
            continue;
        } else if (!hasValue) {
            return Usage("unknown option or missing value: " + arg);
        } else if (arg == "--control" && !value.empty()) {
            options.control = value;
        } else if (arg == "--caps" && ParseNumber(value, a)) {
            card.SetCapabilities(a);
        } else if (arg == "--power" && ParseNumber(value, a)) {
            card.SetPower(a);
        } else if (arg == "--saving" && ParseSaving(value, a, b)) {
            card.SetSaving(a, b);
        } else if (arg == "--mode" && ParseNumber(value, a)) {
            card.SetMode(a);
        } else if (arg == "--delay" && ParseNumber(value, a)) {
            card.SetDelay(a);
        } else if (arg == "--instances" && ParseNumber(value, a) && a >= 1 && a <= 16) {
            options.instances = a;
        } else if (arg == "--keep" && ParseNumber(value, a) && a >= 1 && a <= 100000) {
            options.keep = a;
        } else {
            return Usage("bad option: " + arg + " " + value);
        }
        ++i;
    }

    PeerRuntime runtime;
    runtime.Log().SetStamper([] { return simboard::TakeStamp(); });
    runtime.Log().SetKept(options.keep);
    std::string error;
    if (!runtime.ServeRecorded(
            kCardPipe, static_cast<int>(options.instances), "cardsim", options.verbose,
            [&] { return card.Delay(); },
            [&](const Bytes& request) { return card.Answer(request); }, error) ||
        !runtime.StartControl(
            options.control,
            [&](const std::vector<std::string>& words, std::string& reply) {
                return Control(card, words, reply);
            },
            error)) {
        std::fprintf(stderr, "cardsim: %s\n", error.c_str());
        return 3;
    }
    if (options.announce) {
        std::string result = Notify(0, 4);
        if (options.verbose) {
            std::printf("cardsim: announced: %s\n", result.c_str());
        }
    }
    runtime.WaitForStop();
    if (options.announce) {
        Notify(1, 4);
    }
    return 0;
}
