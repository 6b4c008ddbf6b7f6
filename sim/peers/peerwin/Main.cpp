// peerwin: a top-level window of a given class and title that logs the messages it receives at
// or above WM_USER (registered ones included), one line each: "MESSAGE WPARAM LPARAM SEQ MS" in
// decimal (WPARAM unsigned, LPARAM signed; SEQ and MS the simulated board's counter and clock).
// Each line is on disk before the message is answered.
#include "sim/board/Board.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "usage: peerwin --class NAME --title TEXT [--hidden] [--log FILE] [--reply N]\n"
    "               [--parent PID] [--lifetime SECONDS]\n"
    "  --hidden     create the window without WS_VISIBLE\n"
    "  --log FILE   append the received messages to FILE\n"
    "  --reply N    the result of every recorded message (default 0)\n"
    "  --parent PID close when that process ends\n"
    "  --lifetime S close after S seconds\n"
    "  --help       this text\n"
    "WM_CLOSE closes the window and ends the program with 0.\n";

const UINT_PTR kLifetimeTimer = 1;

struct Options
{
    std::string className;
    std::string title;
    bool hidden = false;
    std::string log;
    LRESULT reply = 0;
    DWORD parent = 0;
    UINT lifetimeSeconds = 0;
};

class PeerWindow
{
public:
    explicit PeerWindow(const Options& options) : m_options(options) {}
    ~PeerWindow()
    {
        if (m_log != INVALID_HANDLE_VALUE) {
            CloseHandle(m_log);
        }
    }
    PeerWindow(const PeerWindow&) = delete;
    PeerWindow& operator=(const PeerWindow&) = delete;

    bool Create(HINSTANCE instance)
    {
        if (!m_options.log.empty()) {
            m_log = CreateFileA(m_options.log.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (m_log == INVALID_HANDLE_VALUE) {
                std::fprintf(stderr, "peerwin: cannot open %s (%lu)\n", m_options.log.c_str(),
                             GetLastError());
                return false;
            }
        }
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &PeerWindow::Procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = m_options.className.c_str();
        if (!RegisterClassA(&windowClass)) {
            std::fprintf(stderr, "peerwin: RegisterClass failed (%lu)\n", GetLastError());
            return false;
        }
        HWND window = CreateWindowExA(0, m_options.className.c_str(), m_options.title.c_str(),
                                      WS_OVERLAPPEDWINDOW, 40, 40, 240, 120, nullptr, nullptr,
                                      instance, this);
        if (!window) {
            std::fprintf(stderr, "peerwin: CreateWindow failed (%lu)\n", GetLastError());
            return false;
        }
        if (!m_options.hidden) {
            ShowWindow(window, SW_SHOWNOACTIVATE);
        }
        if (m_options.lifetimeSeconds) {
            SetTimer(window, kLifetimeTimer, m_options.lifetimeSeconds * 1000, nullptr);
        }
        return true;
    }

    HWND Window() const { return m_window; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            auto* self = static_cast<PeerWindow*>(create->lpCreateParams);
            self->m_window = window;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<PeerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!self) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            self->m_window = nullptr;
            return DefWindowProcA(window, message, wParam, lParam);
        }
        return self->Handle(message, wParam, lParam);
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message >= WM_USER && message <= 0xFFFF) {
            Record(message, wParam, lParam);
            return m_options.reply;
        }
        switch (message) {
        case WM_TIMER:
            if (wParam == kLifetimeTimer) {
                DestroyWindow(m_window);
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(m_window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(m_window, message, wParam, lParam);
        }
    }

    void Record(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (m_log == INVALID_HANDLE_VALUE) {
            return;
        }
        const simboard::Stamp stamp = simboard::TakeStamp();
        char line[128];
        int length =
            std::snprintf(line, sizeof line, "%u %llu %lld %u %llu\r\n", message,
                          static_cast<unsigned long long>(wParam), static_cast<long long>(lParam),
                          stamp.sequence, static_cast<unsigned long long>(stamp.ms));
        DWORD written = 0;
        WriteFile(m_log, line, static_cast<DWORD>(length), &written, nullptr);
    }

    Options m_options;
    HWND m_window = nullptr;
    HANDLE m_log = INVALID_HANDLE_VALUE;
};

enum class Parsed
{
    Run,
    Help,
    Bad,
};

Parsed ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            return Parsed::Help;
        } else if (arg == "--hidden") {
            options->hidden = true;
        } else if (arg == "--class" && hasValue) {
            options->className = argv[++i];
        } else if (arg == "--title" && hasValue) {
            options->title = argv[++i];
        } else if (arg == "--log" && hasValue) {
            options->log = argv[++i];
        } else if (arg == "--reply" && hasValue) {
            options->reply = static_cast<LRESULT>(std::strtoll(argv[++i], nullptr, 0));
        } else if (arg == "--parent" && hasValue) {
            options->parent = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 0));
        } else if (arg == "--lifetime" && hasValue) {
            options->lifetimeSeconds = static_cast<UINT>(std::strtoul(argv[++i], nullptr, 0));
        } else {
            return Parsed::Bad;
        }
    }
    return options->className.empty() ? Parsed::Bad : Parsed::Run;
}

struct ParentWatch
{
    HANDLE parent;
    HWND window;
};

DWORD WINAPI WatchParent(void* context)
{
    auto* watch = static_cast<ParentWatch*>(context);
    WaitForSingleObject(watch->parent, INFINITE);
    PostMessageA(watch->window, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Options options;
    switch (ParseOptions(__argc, __argv, &options)) {
    case Parsed::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case Parsed::Bad:
        std::fputs(kUsage, stderr);
        return 2;
    case Parsed::Run:
        break;
    }
    PeerWindow peer(options);
    if (!peer.Create(instance)) {
        return 1;
    }
    ParentWatch watch = {nullptr, peer.Window()};
    if (options.parent) {
        watch.parent = OpenProcess(SYNCHRONIZE, FALSE, options.parent);
        if (!watch.parent) {
            // The parent is gone already.
            return 0;
        }
        HANDLE thread = CreateThread(nullptr, 0, &WatchParent, &watch, 0, nullptr);
        if (thread) {
            CloseHandle(thread);
        }
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // A watcher thread may still wait on the parent; ending the process ends it.
    return 0;
}
