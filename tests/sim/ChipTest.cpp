// KdIo.dll from the system folder against the simulated chip: the detection protocol tells class
// A from class B, monitor registers live in banks, and the chip keeps its writes in order.
#include "tests/sim/SimTest.h"

using simtest::BOOL8;

namespace {

typedef BOOL8(__stdcall* OpenFn)(const char*);
typedef BOOL8(__stdcall* CloseFn)();
typedef BYTE(__stdcall* InFn)(WORD);
typedef BOOL8(__stdcall* OutFn)(WORD, BYTE);

class ChipTest : public simtest::BoardTest
{
protected:
    void SetUp() override
    {
        simtest::BoardTest::SetUp();
        ASSERT_TRUE(m_io.Loaded()) << "KdIo.dll is not in the system folder (prefix set-up)";
        m_open = m_io.Entry<OpenFn>("KDIO_Open");
        m_close = m_io.Entry<CloseFn>("KDIO_Close");
        m_in = m_io.Entry<InFn>("KDIO_InPortB");
        m_out = m_io.Entry<OutFn>("KDIO_OutPortB");
        ASSERT_TRUE(m_open && m_close && m_in && m_out);
    }

    void TearDown() override
    {
        if (m_close) {
            m_close();
        }
    }

    void Open()
    {
        char folder[MAX_PATH + 1] = {};
        GetSystemDirectoryA(folder, MAX_PATH);
        ASSERT_EQ(m_open(folder), 1);
    }

    uint16_t DetectId()
    {
        m_out(0x2E, 0x87);
        m_out(0x2E, 0x87);
        m_out(0x2E, 0x20);
        uint16_t high = m_in(0x2F);
        m_out(0x2E, 0x21);
        uint16_t low = m_in(0x2F);
        m_out(0x2E, 0xAA);
        return static_cast<uint16_t>((high << 8) | low);
    }

    void Write(BYTE reg, BYTE value)
    {
        m_out(0x295, reg);
        m_out(0x296, value);
    }

    BYTE Read(BYTE reg)
    {
        m_out(0x295, reg);
        return m_in(0x296);
    }

    simtest::Module m_io{simtest::SystemPath("KdIo.dll")};
    OpenFn m_open = nullptr;
    CloseFn m_close = nullptr;
    InFn m_in = nullptr;
    OutFn m_out = nullptr;
};

TEST_F(ChipTest, PortsAnswerOnlyWhileOpen)
{
    EXPECT_EQ(m_in(0x296), 0xFF);
    EXPECT_EQ(m_out(0x295, 0x4E), 0);
    EXPECT_EQ(m_close(), 0);
    EXPECT_EQ(simboard::KdIoOpenFolder(), "");
    Open();
    char folder[MAX_PATH + 1] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    EXPECT_EQ(simboard::KdIoOpenFolder(), folder);
    EXPECT_EQ(m_out(0x295, 0x4E), 1);
    EXPECT_EQ(m_close(), 1);
    EXPECT_EQ(m_in(0x295), 0xFF);
    EXPECT_EQ(simboard::ReadJournal().Signatures(simboard::Library::KdIo),
              (std::vector<std::string>{"KDIO_Close()", "KDIO_Open()", "KDIO_Close()"}));

    ASSERT_TRUE(simboard::SetField(simboard::Field::KdIoOpenFails, 1));
    EXPECT_EQ(m_open("C:\\elsewhere"), 0);
    EXPECT_EQ(simboard::KdIoOpenFolder(), folder);
    EXPECT_EQ(m_open(nullptr), 0);
}

TEST_F(ChipTest, DetectionTellsClassAFromClassB)
{
    Open();
    uint16_t id = DetectId();
    EXPECT_EQ(id, simboard::ChipId());
    EXPECT_NE(id & 0xB350, 0xB350); // class A

    ASSERT_TRUE(simboard::Reset("chipb"));
    id = DetectId();
    EXPECT_EQ(id, simboard::ChipId());
    EXPECT_EQ(id & 0xB350, 0xB350); // class B
}

TEST_F(ChipTest, ConfigurationNeedsTheKeyTwice)
{
    Open();
    m_out(0x2E, 0x87);
    m_out(0x2E, 0x20);
    EXPECT_EQ(m_in(0x2F), 0xFF);
    m_out(0x2E, 0x87);
    m_out(0x2E, 0x87);
    m_out(0x2E, 0x20);
    EXPECT_EQ(m_in(0x2F), simboard::ChipId() >> 8);
    m_out(0x2F, 0x12); // the ID is read-only
    EXPECT_EQ(m_in(0x2F), simboard::ChipId() >> 8);
    m_out(0x2E, 0xAA);
    EXPECT_EQ(m_in(0x2F), 0xFF);
}

TEST_F(ChipTest, CpuTemperatureInBankOne)
{
    Open();
    Write(0x4E, 1);
    int half = (Read(0x50) << 1) | (Read(0x51) >> 7);
    EXPECT_EQ(half, 91); // 45.5 degrees
    ASSERT_TRUE(simboard::SetCpuTemperatureHalf(120));
    half = (Read(0x50) << 1) | (Read(0x51) >> 7);
    EXPECT_EQ(half, 120);
    EXPECT_EQ(Read(0x4E), 1);
}

TEST_F(ChipTest, WriteHistoryKeepsBanksAndOrder)
{
    Open();
    ASSERT_TRUE(simboard::ClearChipWrites());
    Write(0x4E, 0x00);
    Write(0x6F, 52); // first pass, +2
    Write(0x6F, 50); // second pass, the true value
    Write(0x4E, 0x0A);
    Write(0x51, 33);
    BYTE saved = Read(0x4E);
    Write(0x4E, 0x00);
    Write(0x06, static_cast<BYTE>(Read(0x06) + 2));
    Write(0x4E, saved);

    simboard::ChipHistory history = simboard::ReadChipWrites();
    EXPECT_EQ(history.overflow, 0u);
    std::vector<std::vector<int>> writes;
    for (const simboard::ChipWrite& write : history.writes) {
        writes.push_back({write.bank, write.reg, write.value});
    }
    EXPECT_EQ(writes, (std::vector<std::vector<int>>{{0x00, 0x4E, 0x00},
                                                     {0x00, 0x6F, 52},
                                                     {0x00, 0x6F, 50},
                                                     {0x00, 0x4E, 0x0A},
                                                     {0x0A, 0x51, 33},
                                                     {0x0A, 0x4E, 0x00},
                                                     {0x00, 0x06, 0x22},
                                                     {0x00, 0x4E, 0x0A}}));
    EXPECT_EQ(simboard::ChipRegister(0, 0x6F), 50);
    EXPECT_EQ(simboard::ChipRegister(0x0A, 0x51), 33);
    EXPECT_EQ(simboard::ChipRegister(0, 0x06), 0x22);
    EXPECT_EQ(simboard::ChipRegister(0x0A, 0x6F), 0);
    // Port accesses stay out of the call journal.
    EXPECT_EQ(simboard::ReadJournal().Signatures(simboard::Library::KdIo),
              std::vector<std::string>{"KDIO_Open()"});
}

TEST_F(ChipTest, ReadsAreRecordedTooSoASavedBankShowsRestored)
{
    Open();
    Write(0x4E, 0x0A);
    const uint32_t mark = simboard::LastSequence();
    // The temperature read of a fan sequence: save the bank, read bank 1, put the bank back.
    BYTE saved = Read(0x4E);
    Write(0x4E, 0x01);
    int half = (Read(0x50) << 1) | (Read(0x51) >> 7);
    Write(0x4E, saved);
    EXPECT_EQ(half, 91);

    simboard::ChipHistory history = simboard::ReadChip(mark);
    EXPECT_EQ(history.Texts(), (std::vector<std::string>{
                                   "read bank 0x0A register 0x4E = 0x0A",
                                   "write bank 0x0A register 0x4E = 0x01",
                                   "read bank 0x01 register 0x50 = 0x2D",
                                   "read bank 0x01 register 0x51 = 0x80",
                                   "write bank 0x01 register 0x4E = 0x0A",
                               }));
    ASSERT_EQ(history.writes.size(), 2u);
    auto save = history.Find(0x4E, false, mark);
    auto restore = history.Find(0x4E, true, history.Find(0x50, false)->sequence);
    ASSERT_TRUE(save && restore);
    EXPECT_TRUE(simboard::InOrder(*save, history.writes[0], *restore));
    EXPECT_EQ(restore->value, save->value);
    for (const simboard::ChipAccess& access : history.accesses) {
        EXPECT_EQ(access.processId, GetCurrentProcessId());
        EXPECT_GT(access.sequence, mark);
    }
    EXPECT_EQ(simboard::LastSequence(), mark + 5) << "ports without a register are not recorded";
    EXPECT_EQ(simboard::ChipBank(), 0x0A);
}

TEST_F(ChipTest, HistoryCountsWhatItDropped)
{
    Open();
    ASSERT_TRUE(simboard::ClearChipHistory());
    const uint32_t mark = simboard::LastSequence();
    for (int i = 0; i < 8192 + 10; ++i) {
        Write(0x20, static_cast<BYTE>(i));
    }
    simboard::ChipHistory history = simboard::ReadChip();
    EXPECT_EQ(history.overflow, 10u);
    EXPECT_EQ(history.lastDropped, mark + 10);
    EXPECT_TRUE(history.DroppedAfter(mark + 9));
    EXPECT_FALSE(history.DroppedAfter(mark + 10));
    ASSERT_EQ(history.writes.size(), 8192u);
    EXPECT_EQ(history.writes.front().sequence, mark + 11);
    EXPECT_EQ(history.writes.front().value, 10);
    EXPECT_EQ(history.writes.back().value, static_cast<uint8_t>(8191 + 10));
    EXPECT_EQ(simboard::ReadChip(mark + 8200).accesses.size(), 2u);
}

} // namespace
