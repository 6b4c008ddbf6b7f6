// The records' order and time: one counter numbers the journal, the chip record and the peers'
// logs across processes of both bitnesses, one clock times them; reading since a number gives
// exactly the newer entries; slow exports keep their caller, not the board.
#include "sim/board/Powrprof.h"
#include "sim/peers/PeerControl.h"
#include "sim/peers/peerwin/PeerWindow.h"
#include "tests/sim/SimTest.h"
#include "tests/support/Peers.h"

#include <atomic>
#include <iterator>
#include <thread>

using simboard::Library;
using simtest::BOOL8;
using simtest::Captured;

namespace {

typedef BOOL8(__stdcall* InInt)(int);
typedef BOOL8(__stdcall* SpindownFn)(DWORD*);
typedef BOOL8(__stdcall* OpenFn)(const char*);
typedef BOOL8(__stdcall* CloseFn)();
typedef BYTE(__stdcall* InFn)(WORD);
typedef BOOL8(__stdcall* OutFn)(WORD, BYTE);

class Event
{
public:
    Event(const char* name, bool manual) : m_event(CreateEventA(nullptr, manual, FALSE, name)) {}
    ~Event() { CloseHandle(m_event); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE Get() const { return m_event; }

private:
    HANDLE m_event;
};

// The same program of the other bitness's stage, relative to this stage; empty when not built.
std::string OtherBitness(const std::string& program)
{
#ifdef _WIN64
    std::string relative = "..\\..\\i686\\stage\\" + program;
#else
    std::string relative = "..\\..\\x86_64\\stage\\" + program;
#endif
    return GetFileAttributesA((tvtest::StageDir() + relative).c_str()) == INVALID_FILE_ATTRIBUTES
               ? std::string()
               : relative;
}

// "SEQ MS PID TEXT" as boardsim lists an entry.
std::string Line(const simboard::Stamp& stamp, uint32_t processId, const std::string& text)
{
    return std::to_string(stamp.sequence) + " " + std::to_string(stamp.ms) + " " +
           std::to_string(processId) + " " + text + "\n";
}

class RecordTest : public simtest::BoardTest
{
protected:
    void SetUp() override
    {
        simtest::BoardTest::SetUp();
        m_supported = m_gear.Entry<InInt>("IsItemSupported");
        m_setLevel = m_gear.Entry<InInt>("OptiGearSetLevel");
        ASSERT_TRUE(m_supported && m_setLevel);
    }

    Captured Boardsim(const std::string& arguments)
    {
        return simtest::RunCaptured(simtest::StagePath("boardsim.exe"), arguments);
    }

    simtest::Module m_gear{simtest::StagePath("OptiGear.dll")};
    InInt m_supported = nullptr;
    InInt m_setLevel = nullptr;
};

TEST_F(RecordTest, CallsOfTwoProcessesAtOnceGetOneConsistentOrder)
{
    const int calls = 1500;
    Event go("TvSimCallerGo", true);
    tvtest::Process caller;
    ASSERT_TRUE(
        caller.Start("sim_caller.exe", "free " + std::to_string(calls) + " 2 TvSimCallerGo"));
    const uint32_t mark = simboard::LastSequence();
    SetEvent(go.Get());
    for (int i = 0; i < calls; ++i) {
        m_supported(100000 + i);
    }
    ASSERT_EQ(caller.Wait(30000), 0);

    simboard::Journal journal = simboard::ReadJournal(mark);
    ASSERT_EQ(journal.entries.size(), 2u * calls);
    int made[3] = {};
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        const simboard::JournalEntry& entry = journal.entries[i];
        // No number given twice or skipped, time never going back.
        ASSERT_EQ(entry.sequence, mark + 1 + i);
        ASSERT_GE(entry.ms, i ? journal.entries[i - 1].ms : 0) << i;
        ASSERT_EQ(entry.args.size(), 1u);
        const int tag = entry.args[0] / 100000;
        ASSERT_TRUE(tag == 1 || tag == 2) << entry.Text();
        ASSERT_EQ(entry.processId, tag == 1 ? GetCurrentProcessId() : caller.Id());
        // Each process's calls in the order it made them.
        ASSERT_EQ(entry.args[0] % 100000, made[tag]++) << entry.Text();
    }
    EXPECT_EQ(made[1], calls);
    EXPECT_EQ(made[2], calls);
}

TEST_F(RecordTest, TurnsOfTwoProcessesOfEitherBitnessShowInTheOrderTaken)
{
    std::vector<std::string> programs = {"sim_caller.exe"};
    if (!OtherBitness("sim_caller.exe").empty()) {
        programs.push_back(OtherBitness("sim_caller.exe"));
    }
    for (const std::string& program : programs) {
        SCOPED_TRACE(program);
        const int rounds = 100;
        Event callerTurn("TvSimCallerTurn", false);
        Event testTurn("TvSimTestTurn", false);
        tvtest::Process caller;
        ASSERT_TRUE(caller.Start(program, "turns " + std::to_string(rounds) +
                                              " 2 TvSimCallerTurn TvSimTestTurn"));
        const uint32_t mark = simboard::LastSequence();
        for (int i = 0; i < rounds; ++i) {
            m_supported(100000 + i);
            SetEvent(callerTurn.Get());
            ASSERT_EQ(WaitForSingleObject(testTurn.Get(), 10000), WAIT_OBJECT_0) << i;
        }
        ASSERT_EQ(caller.Wait(10000), 0);

        simboard::Journal journal = simboard::ReadJournal(mark);
        ASSERT_EQ(journal.entries.size(), 2u * rounds);
        for (size_t i = 0; i < journal.entries.size(); ++i) {
            const simboard::JournalEntry& entry = journal.entries[i];
            const bool ours = i % 2 == 0;
            ASSERT_EQ(entry.sequence, mark + 1 + i);
            ASSERT_EQ(entry.processId, ours ? GetCurrentProcessId() : caller.Id());
            ASSERT_EQ(entry.args,
                      std::vector<int32_t>{(ours ? 100000 : 200000) + static_cast<int32_t>(i / 2)});
            // The other process's clock reads alike: its times fall between ours.
            ASSERT_GE(entry.ms, i ? journal.entries[i - 1].ms : 0) << i;
        }
    }
}

TEST_F(RecordTest, EntriesOfTheJournalTheChipAndThePeersCompare)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    simpeer::PeerWindow doze;
    ASSERT_TRUE(doze.Start("TMainForm", "Opti Doze", false));
    simtest::Module spindown(simtest::StagePath("KdSpindownTimeout.dll"));
    simtest::Module io(simtest::SystemPath("KdIo.dll"));
    ASSERT_TRUE(spindown.Loaded() && io.Loaded());

    const uint32_t mark = simboard::LastSequence();
    m_setLevel(2);
    const uint64_t beforeCard = simboard::ClockMs();
    std::vector<unsigned char> request = tvsim::Words({0x10001001, 2});
    unsigned char reply[64];
    DWORD read = 0;
    ASSERT_TRUE(CallNamedPipeA("\\\\.\\pipe\\KALDO QEM VGA PIPE", request.data(),
                               static_cast<DWORD>(request.size()), reply, sizeof reply, &read,
                               5000));
    const uint64_t afterCard = simboard::ClockMs();
    tvtest::SendWithin(doze.Window(), WM_USER + 4, 85, 0);
    DWORD seconds = 600;
    spindown.Entry<SpindownFn>("KdSetSpindownTimeout")(&seconds);
    char folder[MAX_PATH + 1] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    ASSERT_EQ(io.Entry<OpenFn>("KDIO_Open")(folder), 1);
    io.Entry<OutFn>("KDIO_OutPortB")(0x295, 0x4E);
    io.Entry<InFn>("KDIO_InPortB")(0x296);
    io.Entry<CloseFn>("KDIO_Close")();

    simboard::Journal journal = simboard::ReadJournal(mark);
    auto setLevel = journal.Find(Library::OptiGear, "OptiGearSetLevel(2)", mark);
    tvsim::PeerLog log = card.Control().Log(mark);
    auto setMode = log.Find(0x10001001, mark);
    std::vector<simpeer::PeerMessage> messages = doze.Messages();
    auto spin = journal.Find(Library::KdSpindownTimeout, "KdSetSpindownTimeout", mark);
    auto bankRead = simboard::ReadChip(mark).Find(0x4E, false, mark);
    ASSERT_TRUE(setLevel && setMode && spin && bankRead);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(log.requests.size(), 1u);
    EXPECT_FALSE(log.DroppedAfter(mark));
    EXPECT_EQ(setMode->Word(1), 2u);
    EXPECT_TRUE(simboard::InOrder(*setLevel, *setMode, messages[0], *spin, *bankRead));
    EXPECT_FALSE(simboard::InOrder(*spin, *setMode));
    // The peer's time stamp is on the test's clock.
    EXPECT_GE(setMode->ms, beforeCard);
    EXPECT_LE(setMode->ms, afterCard);
    EXPECT_GE(simboard::MsBetween(*setLevel, *spin), 0);
    EXPECT_TRUE(card.Control().Log(spin->sequence).requests.empty());
}

TEST_F(RecordTest, TimeStampsMeasureTheTimeBetweenEntries)
{
    const uint32_t mark = simboard::LastSequence();
    const uint64_t before = simboard::ClockMs();
    m_supported(1);
    auto first = simboard::ReadJournal(mark).Find(Library::OptiGear, "IsItemSupported(1)");
    ASSERT_TRUE(first);
    ASSERT_TRUE(tvtest::WaitUntil([&] { return simboard::ClockMs() >= first->ms + 120; }, 5000));
    m_supported(2);
    const uint64_t after = simboard::ClockMs();
    auto second =
        simboard::ReadJournal(mark).Find(Library::OptiGear, "IsItemSupported", first->sequence);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->args, std::vector<int32_t>{2});
    EXPECT_GE(first->ms, before);
    EXPECT_LE(second->ms, after);
    EXPECT_GE(simboard::MsBetween(*first, *second), 120);
    EXPECT_LT(simboard::MsBetween(*second, *first), 0);
}

TEST_F(RecordTest, BoardsimListsExactlyTheEntriesAfterANumber)
{
    simtest::Module io(simtest::SystemPath("KdIo.dll"));
    ASSERT_TRUE(io.Loaded());
    char folder[MAX_PATH + 1] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    auto out = io.Entry<OutFn>("KDIO_OutPortB");
    auto in = io.Entry<InFn>("KDIO_InPortB");
    ASSERT_EQ(io.Entry<OpenFn>("KDIO_Open")(folder), 1);
    for (int i = 0; i < 5; ++i) {
        out(0x295, 0x4E);
        out(0x296, static_cast<BYTE>(i));
        out(0x295, 0x50);
        in(0x296);
        m_supported(i);
    }
    io.Entry<CloseFn>("KDIO_Close")();

    const uint32_t since =
        simboard::ReadJournal().Find(Library::OptiGear, "IsItemSupported(2)")->sequence;
    simboard::Journal journal = simboard::ReadJournal(since);
    ASSERT_EQ(journal.Signatures(Library::OptiGear),
              (std::vector<std::string>{"IsItemSupported(3)", "IsItemSupported(4)"}));
    std::string expected;
    for (const simboard::JournalEntry& entry : journal.entries) {
        EXPECT_GT(entry.sequence, since);
        expected += Line(entry, entry.processId, entry.Text());
    }
    EXPECT_EQ(journal.entries.back().Text(), "KdIo KDIO_Close() = 1");
    Captured run = Boardsim("journal --since " + std::to_string(since));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, expected + "3 calls shown, 0 dropped\n");

    simboard::ChipHistory chip = simboard::ReadChip(since);
    ASSERT_EQ(chip.Texts(), (std::vector<std::string>{"write bank 0x02 register 0x4E = 0x03",
                                                      "read bank 0x03 register 0x50 = 0x00",
                                                      "write bank 0x03 register 0x4E = 0x04",
                                                      "read bank 0x04 register 0x50 = 0x00"}));
    expected.clear();
    for (const simboard::ChipAccess& access : chip.accesses) {
        expected += Line(access, access.processId, access.Text());
    }
    run = Boardsim("chip --since " + std::to_string(since));
    EXPECT_EQ(run.out, expected + "4 accesses shown, 0 dropped\n");
    run = Boardsim("chip --since " + std::to_string(chip.accesses.back().sequence));
    EXPECT_EQ(run.out, "0 accesses shown, 0 dropped\n");

    run = Boardsim("sequence");
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find(' ')), std::to_string(simboard::LastSequence()));
}

TEST_F(RecordTest, SlowExportKeepsItsCallerNotTheBoard)
{
    ASSERT_TRUE(simboard::SetCallDelay(Library::OptiGear, "OptiGearSetLevel", 1000));
    ASSERT_TRUE(simboard::SetCallDelay(Library::OptiGear, "*", 5));
    const uint32_t mark = simboard::LastSequence();
    std::atomic<bool> returned(false);
    std::atomic<uint64_t> returnedMs(0);
    std::thread slow([&] {
        m_setLevel(2);
        returnedMs = simboard::ClockMs();
        returned = true;
    });
    // The call took effect and is journaled while its caller still waits.
    auto setLevel = simboard::WaitForCall(Library::OptiGear, "OptiGearSetLevel(2)", mark, 5000);
    ASSERT_TRUE(setLevel);
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), 2);
    const uint64_t start = simboard::ClockMs();
    m_supported(7);
    const uint64_t elapsed = simboard::ClockMs() - start;
    EXPECT_FALSE(returned) << "another call went through meanwhile";
    EXPECT_GE(elapsed, 5u) << "the library-wide delay";
    slow.join();
    EXPECT_GE(returnedMs - setLevel->ms, 1000u);
    EXPECT_TRUE(simboard::InOrder(
        *setLevel, *simboard::ReadJournal(mark).Find(Library::OptiGear, "IsItemSupported(7)")));

    std::vector<simboard::CallDelay> delays = simboard::CallDelays();
    ASSERT_EQ(delays.size(), 2u);
    EXPECT_EQ(delays[0].function, "OptiGearSetLevel");
    EXPECT_EQ(delays[0].ms, 1000u);
    EXPECT_FALSE(simboard::SetCallDelay(Library::OptiGear, "OptiGearSetLevell", 10));
    EXPECT_FALSE(simboard::SetCallDelay(Library::OptiDoze, "OptiGearSetLevel", 10));
    EXPECT_FALSE(simboard::SetCallDelay(Library::OptiGear, "OptiGearInit", 60001));
    ASSERT_TRUE(simboard::SetCallDelay(Library::OptiGear, "OptiGearSetLevel", 0));
    EXPECT_EQ(simboard::CallDelays().size(), 1u);

    // boardsim sets, lists and clears them; a reset removes them too.
    EXPECT_EQ(Boardsim("delay kdacpi #4 250").exitCode, 0);
    Captured run = Boardsim("delay");
    EXPECT_EQ(run.out, "kdacpi #4 250\nOptiGear * 5\n"); // table order: the freed slot first
    run = Boardsim("delay OptiGear OptiGearSetLvl 5");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no export 'OptiGearSetLvl' in OptiGear (OptiGearInit, "),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Boardsim("delay Gear * 5").exitCode, 2);
    EXPECT_EQ(Boardsim("delay vvc VISTA_SetMute 70000").exitCode, 2);
    EXPECT_EQ(Boardsim("delay --clear").exitCode, 0);
    EXPECT_TRUE(simboard::CallDelays().empty());
    ASSERT_TRUE(simboard::SetCallDelay(Library::Vvc, "VISTA_SetMute", 10));
    ASSERT_TRUE(simboard::Reset("default"));
    EXPECT_TRUE(simboard::CallDelays().empty());
}

TEST(ExportTableTest, NamesWhatTheStandInsExport)
{
    const struct
    {
        Library library;
        std::string path;
        size_t count;
    } libraries[] = {
        {Library::OptiGear, simtest::StagePath("OptiGear.dll"), 24},
        {Library::OptiDoze, simtest::StagePath("OptiDoze.dll"), 21},
        {Library::Vvc, simtest::StagePath("vvc.dll"), 1},
        {Library::KdSpindownTimeout, simtest::StagePath("KdSpindownTimeout.dll"), 2},
        {Library::KdIo, simtest::SystemPath("KdIo.dll"), 2},
        {Library::KdAcpi, simtest::StagePath("kdacpi.dll"), 6},
        {Library::Powrprof, simboard::PowrprofPath(), 16},
    };
    EXPECT_EQ(simboard::Libraries().size(), std::size(libraries));
    for (const auto& library : libraries) {
        const char* name = simboard::LibraryName(library.library);
        simboard::Library found = Library::None;
        EXPECT_TRUE(simboard::FindLibrary(name, &found) && found == library.library) << name;
        simtest::Module module(library.path);
        ASSERT_TRUE(module.Loaded()) << library.path;
        const std::vector<std::string>& exports = simboard::Exports(library.library);
        EXPECT_EQ(exports.size(), library.count) << name;
        for (const std::string& function : exports) {
            void* entry = function[0] == '#' ? module.Ordinal<void*>(std::stoi(function.substr(1)))
                                             : module.Entry<void*>(function.c_str());
            EXPECT_NE(entry, nullptr) << name << " " << function;
        }
    }
    Library none = Library::None;
    EXPECT_FALSE(simboard::FindLibrary("OptiGear.dll", &none));
}

} // namespace
