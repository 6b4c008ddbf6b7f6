// tetravolt.exe started from the stage and driven from outside, as the installer, the boot
// launch, a second instance and the suite's utilities do.
#include "lumo/Forms/Application.h"
#include "shell/base/RegistrySchema.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using tvtest::Process;

constexpr char kProgram[] = "tetravolt.exe";
constexpr char kMutex[] = "5B0C2E7A-91D4-4C3F-8E26-3A7D19F04B62";
constexpr DWORD kStartMs = 30000;

bool MutexExists()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kMutex);
    if (!mutex) {
        return false;
    }
    CloseHandle(mutex);
    return true;
}

HWND MainWindow()
{
    return FindWindowA("TMainForm", "Hexavolt");
}

// Runs the program to its end; records whether the mutex or a main window ever showed up.
struct Observed
{
    long exitCode = -1;
    bool sawMutex = false;
    bool sawMainWindow = false;
};

Observed RunObserved(const std::string& arguments)
{
    Observed observed;
    Process process;
    if (!process.Start(kProgram, arguments)) {
        return observed;
    }
    DWORD start = GetTickCount();
    while (process.Running() && GetTickCount() - start < kStartMs) {
        observed.sawMutex = observed.sawMutex || MutexExists();
        observed.sawMainWindow = observed.sawMainWindow || MainWindow() != nullptr;
        Sleep(2);
    }
    observed.exitCode = process.Wait(0);
    return observed;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM context)
{
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    char buffer[512] = "";
    GetWindowTextA(child, buffer, sizeof buffer);
    if (lstrcmpiA(className, "Static") == 0 && buffer[0]) {
        *reinterpret_cast<std::string*>(context) = buffer;
    }
    return TRUE;
}

// The static text of a message box.
std::string BoxText(HWND box)
{
    std::string text;
    EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

struct WindowSearch
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) {
        search->found.push_back(window);
    }
    return TRUE;
}

// Top-level windows of a process.
std::vector<HWND> WindowsOf(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ProgramStartTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        ASSERT_FALSE(MutexExists()) << "another instance is running";
    }

    void DisableBootLaunch(DWORD value = 1)
    {
        ASSERT_TRUE(
            tvtest::WriteRawDword(tv::reg::kAdvanceKey, tv::reg::kRunAtSystemStartup, value));
    }
    void SetRebootPending()
    {
        ASSERT_TRUE(tvtest::WriteRawString(tv::reg::kRunOnceKey, tv::reg::kRunOnceInstall, REG_SZ,
                                           "C:\\Setup\\finish.exe"));
    }

    // Starts the program and waits until it runs with its hidden main window.
    HWND StartRunning(Process& process, const std::string& arguments = std::string())
    {
        if (!process.Start(kProgram, arguments)) {
            ADD_FAILURE() << "cannot start " << kProgram;
            return nullptr;
        }
        HWND window = nullptr;
        tvtest::WaitUntil([&] { return !process.Running() || (window = MainWindow()) != nullptr; },
                          kStartMs);
        EXPECT_NE(nullptr, window) << "no main window";
        return window;
    }

    // Ends a running instance through its close command; its exit code.
    long CloseRunning(Process& process, HWND window)
    {
        PostMessageA(window, WM_USER, 85, 0);
        return process.Wait(kStartMs);
    }
};

TEST_F(ProgramStartTest, BootLaunchSwitchedOffEndsBeforeTheMutex)
{
    DisableBootLaunch();
    Observed observed = RunObserved("-b");
    EXPECT_EQ(0, observed.exitCode);
    EXPECT_FALSE(observed.sawMutex);
    EXPECT_FALSE(observed.sawMainWindow);

    // Also with the installer's reboot still pending: no box, no mutex.
    SetRebootPending();
    observed = RunObserved("-b");
    EXPECT_EQ(0, observed.exitCode);
    EXPECT_FALSE(observed.sawMutex);

    observed = RunObserved("-B");
    EXPECT_EQ(0, observed.exitCode) << "upper case counts";
    EXPECT_FALSE(observed.sawMutex);
}

TEST_F(ProgramStartTest, BootLaunchEndsBeforeHandingOverToAnotherInstance)
{
    // With the mutex held and a main window here, a run that got as far as the mutex would
    // hand over with message 1027; a switched-off boot launch never gets there.
    DisableBootLaunch();
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutex);
    ASSERT_NE(nullptr, mutex);
    lumo::TApplication application;
    class Receiver : public lumo::TForm
    {
    public:
        LUMO_CLASS_NAME(TMainForm)
        explicit Receiver(lumo::TComponent* owner) : lumo::TForm(owner) { SetCaption("Hexavolt"); }
        void WndProc(lumo::TMessage& message) override
        {
            if (message.Msg >= WM_USER && message.Msg < WM_USER + 100) {
                received.push_back(message.Msg * 1000 + static_cast<UINT>(message.WParam));
            }
            lumo::TForm::WndProc(message);
        }
        std::vector<UINT> received;
    };
    auto* receiver = application.CreateForm<Receiver>();

    auto runAndPump = [&](const std::string& arguments) {
        Process process;
        EXPECT_TRUE(process.Start(kProgram, arguments));
        tvtest::WaitUntil(
            [&] {
                application.ProcessMessages();
                return !process.Running();
            },
            kStartMs);
        application.ProcessMessages();
        return process.Wait(0);
    };
    EXPECT_EQ(0, runAndPump("-b"));
    EXPECT_TRUE(receiver->received.empty());
    EXPECT_EQ(0, runAndPump("-B"));
    EXPECT_TRUE(receiver->received.empty());

    // Without the switch the same program hands over.
    EXPECT_EQ(0, runAndPump("/b"));
    std::vector<UINT> expected = {1027 * 1000 + 85};
    EXPECT_EQ(expected, receiver->received) << "\"/b\" is no boot switch";

    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

TEST_F(ProgramStartTest, BootLaunchRunsUnlessSwitchedOff)
{
    for (int value : {-1, 0, 2}) {
        SCOPED_TRACE(value);
        if (value >= 0) {
            DisableBootLaunch(static_cast<DWORD>(value));
        }
        Process process;
        HWND window = StartRunning(process, "-b");
        ASSERT_NE(nullptr, window);
        EXPECT_TRUE(MutexExists());
        EXPECT_FALSE(IsWindowVisible(window)) << "starts hidden";
        EXPECT_EQ(0, CloseRunning(process, window));
        EXPECT_FALSE(MutexExists());
    }
}

TEST_F(ProgramStartTest, SlashBIsNoBootSwitch)
{
    DisableBootLaunch();
    Process process;
    HWND window = StartRunning(process, "/b");
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(MutexExists());
    EXPECT_EQ(0, CloseRunning(process, window));
}

TEST_F(ProgramStartTest, PendingRebootShowsOnlyTheRebootBox)
{
    SetRebootPending();
    Process process;
    ASSERT_TRUE(process.Start(kProgram));
    HWND box = nullptr;
    tvtest::WaitUntil(
        [&] {
            box = FindWindowA("#32770", "Tetravolt");
            return box || !process.Running();
        },
        kStartMs);
    ASSERT_NE(nullptr, box) << "no box";
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    EXPECT_EQ(process.Id(), owner);
    EXPECT_EQ("You must reboot the system after installing Tetravolt", BoxText(box));
    EXPECT_FALSE(MutexExists());
    EXPECT_EQ(nullptr, MainWindow());
    std::vector<HWND> windows = WindowsOf(process.Id());
    for (HWND window : windows) {
        char className[64] = "";
        GetClassNameA(window, className, sizeof className);
        EXPECT_TRUE(window == box || !IsWindowVisible(window)) << "also shown: " << className;
        EXPECT_STRNE("TApplication", className) << "no application object yet";
    }

    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    EXPECT_EQ(0, process.Wait(kStartMs));
    EXPECT_FALSE(MutexExists());
}

TEST_F(ProgramStartTest, RunOnceValueOfAnotherTypeIsNoPendingReboot)
{
    ASSERT_TRUE(tvtest::WriteRawDword(tv::reg::kRunOnceKey, tv::reg::kRunOnceInstall, 1));
    Process process;
    HWND window = StartRunning(process);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(nullptr, FindWindowA("#32770", "Tetravolt"));
    EXPECT_EQ(0, CloseRunning(process, window));
}

TEST_F(ProgramStartTest, SecondInstanceShowsTheFirstAndEnds)
{
    // Not the first run: no calibration offer before the window.
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
    Process first;
    HWND window = StartRunning(first);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));

    EXPECT_EQ(0, tvtest::RunProgram(kProgram, "", kStartMs));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 5000));
    EXPECT_TRUE(first.Running());

    // A second instance while the first is already shown ends as well.
    EXPECT_EQ(0, tvtest::RunProgram(kProgram, "", kStartMs));
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(0, CloseRunning(first, window));
}

TEST_F(ProgramStartTest, PeerShowCommandNeedsTheMarker)
{
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
    Process process;
    HWND window = StartRunning(process);
    ASSERT_NE(nullptr, window);
    tvtest::SendWithin(window, WM_USER + 3, 86, 0);
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(window)) << "1027 with 86 does nothing";
    tvtest::SendWithin(window, WM_USER, 86, 0);
    Sleep(300);
    EXPECT_TRUE(process.Running()) << "1024 with 86 does nothing";
    tvtest::SendWithin(window, WM_USER + 2, 0x0155, 0);
    EXPECT_TRUE(tvtest::WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 5000))
        << "1026 with low byte 85 shows it";
    EXPECT_EQ(0, CloseRunning(process, window));
}

TEST_F(ProgramStartTest, EveryFormIsCreatedHidden)
{
    Process process;
    HWND window = StartRunning(process);
    ASSERT_NE(nullptr, window);
    const std::vector<std::string> forms = {
        "TApplication",     "TMainForm", "TCoverDialog", "TProgressDialog", "TUniversalDialog",
        "TAdvancedSetting", "TVgaForm",  "TCpuForm",     "TBlackScreen"};
    // The main form comes first; the others follow it.
    std::vector<std::string> classes;
    auto allThere = [&] {
        classes.clear();
        for (HWND form : WindowsOf(process.Id())) {
            char className[64] = "";
            GetClassNameA(form, className, sizeof className);
            classes.push_back(className);
        }
        return std::all_of(forms.begin(), forms.end(), [&](const std::string& form) {
            return std::count(classes.begin(), classes.end(), form) == 1;
        });
    };
    EXPECT_TRUE(tvtest::WaitUntil(allThere, 10000));
    for (const std::string& form : forms) {
        EXPECT_EQ(1, std::count(classes.begin(), classes.end(), form)) << form;
    }
    for (HWND form : WindowsOf(process.Id())) {
        char className[64] = "";
        GetClassNameA(form, className, sizeof className);
        EXPECT_FALSE(IsWindowVisible(form)) << className << " is shown at start";
    }
    EXPECT_EQ(0, CloseRunning(process, window));
}

TEST_F(ProgramStartTest, CloseCommandEndsTheProgram)
{
    Process process;
    HWND window = StartRunning(process);
    ASSERT_NE(nullptr, window);
    EXPECT_NE(nullptr, FindWindowA("TApplication", "Tetravolt Core"));
    EXPECT_EQ(0, tvtest::SendWithin(window, WM_USER, 85, 0));
    EXPECT_EQ(0, process.Wait(kStartMs));
    EXPECT_FALSE(MutexExists());
    EXPECT_EQ(nullptr, MainWindow());
}

} // namespace
