// kdacpi.dll: the firmware package through ordinals 1, 4, 6, 7, 9 and 10, walked the way the power
// monitor's probe does; short buffers and short packages are clipped, null handles stay null.
#include "tests/sim/SimTest.h"

#include <cstring>

using simtest::BOOL8;

namespace {

typedef BOOL8(__stdcall* InitFn)();
typedef BOOL8(__stdcall* ReadFn)(void*, DWORD*);
typedef const void*(__stdcall* FirstFn)(const void*);
typedef int(__stdcall* CountFn)(const void*);
typedef const DWORD*(__stdcall* ValueFn)(const void*);
typedef const void*(__stdcall* NextFn)(const void*);

class KdAcpiTest : public simtest::BoardTest
{
protected:
    void SetUp() override
    {
        simtest::BoardTest::SetUp();
        ASSERT_TRUE(m_acpi.Loaded());
        m_init = m_acpi.Ordinal<InitFn>(1);
        m_read = m_acpi.Ordinal<ReadFn>(4);
        m_first = m_acpi.Ordinal<FirstFn>(6);
        m_count = m_acpi.Ordinal<CountFn>(7);
        m_value = m_acpi.Ordinal<ValueFn>(9);
        m_next = m_acpi.Ordinal<NextFn>(10);
        ASSERT_TRUE(m_init && m_read && m_first && m_count && m_value && m_next);
    }

    // The power monitor's probe: skip two elements, skip one more, read one; -1 when the walk
    // ends early.
    int64_t Probe()
    {
        m_init();
        std::vector<unsigned char> buffer(4096);
        DWORD size = 4096;
        if (!m_read(buffer.data(), &size)) {
            return -1;
        }
        int count = m_count(buffer.data());
        const void* element = m_first(buffer.data());
        element = m_next(element);
        element = m_next(element);
        if (count - 2 < 2) {
            return -1;
        }
        element = m_next(element);
        const DWORD* value = m_value(element);
        return value ? static_cast<int64_t>(*value) : -1;
    }

    std::vector<uint32_t> Walk(const void* buffer)
    {
        std::vector<uint32_t> values;
        for (const void* element = m_first(buffer); element; element = m_next(element)) {
            values.push_back(*m_value(element));
        }
        return values;
    }

    simtest::Module m_acpi{simtest::StagePath("kdacpi.dll")};
    InitFn m_init = nullptr;
    ReadFn m_read = nullptr;
    FirstFn m_first = nullptr;
    CountFn m_count = nullptr;
    ValueFn m_value = nullptr;
    NextFn m_next = nullptr;
};

TEST_F(KdAcpiTest, ExportsByOrdinalOnly)
{
    EXPECT_EQ(GetProcAddress(m_acpi.Handle(), "KdAcpiInit"), nullptr);
    for (int ordinal : {2, 3, 5, 8}) {
        EXPECT_EQ(m_acpi.Ordinal<InitFn>(ordinal), nullptr) << ordinal;
    }
}

TEST_F(KdAcpiTest, ProbeSeesTheFirmwareRevision)
{
    EXPECT_EQ(Probe(), 0x02010000);
    EXPECT_EQ(simboard::ReadJournal().Signatures(simboard::Library::KdAcpi),
              (std::vector<std::string>{"#1()", "#4(0x1000)", "#7()", "#6()", "#10()", "#10()",
                                        "#10()", "#9()"}));
    ASSERT_TRUE(simboard::Reset("legacy"));
    EXPECT_EQ(Probe(), 0x01020000);
}

TEST_F(KdAcpiTest, WholePackageInOrder)
{
    ASSERT_TRUE(simboard::SetPackage({10, 20, 30, 40, 50, 60}));
    std::vector<unsigned char> buffer(4096);
    DWORD size = 4096;
    ASSERT_EQ(m_read(buffer.data(), &size), 1);
    EXPECT_EQ(m_count(buffer.data()), 6);
    EXPECT_EQ(Walk(buffer.data()), (std::vector<uint32_t>{10, 20, 30, 40, 50, 60}));
    EXPECT_LT(size, 4096u);
}

TEST_F(KdAcpiTest, SmallBufferGetsTheElementsThatFit)
{
    std::vector<unsigned char> buffer(128, 0xCC);
    DWORD size = 2; // not even the header
    EXPECT_EQ(m_read(buffer.data(), &size), 0);
    DWORD needed = size;
    EXPECT_GT(needed, 2u);
    EXPECT_EQ(buffer[0], 0xCC);

    size = needed - 1; // one byte short of the last element
    ASSERT_EQ(m_read(buffer.data(), &size), 1);
    EXPECT_LT(size, needed);
    EXPECT_EQ(m_count(buffer.data()), 4);
    EXPECT_EQ(Walk(buffer.data()).size(), 4u);
    for (size_t i = size; i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], 0xCC) << "written past the bytes reported at " << i;
    }

    DWORD query = 100;
    EXPECT_EQ(m_read(nullptr, &query), 0);
    EXPECT_EQ(query, needed);
    EXPECT_EQ(m_read(buffer.data(), nullptr), 0);
}

TEST_F(KdAcpiTest, ShortPackageEndsTheWalkWithNull)
{
    ASSERT_TRUE(simboard::SetPackage({0x4B44, 3}));
    EXPECT_EQ(Probe(), -1);
    std::vector<unsigned char> buffer(4096);
    DWORD size = 4096;
    ASSERT_EQ(m_read(buffer.data(), &size), 1);
    const void* element = m_first(buffer.data());
    element = m_next(element);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(m_next(element), nullptr);
    EXPECT_EQ(m_next(nullptr), nullptr);
    EXPECT_EQ(m_value(nullptr), nullptr);

    ASSERT_TRUE(simboard::SetPackage({}));
    size = 4096;
    ASSERT_EQ(m_read(buffer.data(), &size), 1);
    EXPECT_EQ(m_count(buffer.data()), 0);
    EXPECT_EQ(m_first(buffer.data()), nullptr);
}

TEST_F(KdAcpiTest, ForeignBuffersAreNotPackages)
{
    std::vector<unsigned char> junk(256, 0xAB);
    EXPECT_EQ(m_count(junk.data()), 0);
    EXPECT_EQ(m_first(junk.data()), nullptr);
    EXPECT_EQ(m_count(nullptr), 0);
    EXPECT_EQ(m_first(nullptr), nullptr);
    // An element that claims to lie beyond its package's end.
    uint32_t forged[3] = {5, 5, 1};
    EXPECT_EQ(m_next(forged), nullptr);
    EXPECT_EQ(m_value(forged), nullptr);
}

TEST_F(KdAcpiTest, OnlyHandlesOfTheLastPackageAreWalked)
{
    // Room for 64 elements, filled with two: the bytes after them are the caller's.
    ASSERT_TRUE(simboard::SetPackage({0x4B44, 3}));
    std::vector<unsigned char> buffer(8 + 64 * 12, 0xCC);
    DWORD size = static_cast<DWORD>(buffer.size());
    ASSERT_EQ(m_read(buffer.data(), &size), 1);
    ASSERT_EQ(size, 8u + 2 * 12);
    const unsigned char* first = static_cast<const unsigned char*>(m_first(buffer.data()));
    ASSERT_EQ(first, buffer.data() + 8);
    const unsigned char* last = static_cast<const unsigned char*>(m_next(first));
    ASSERT_EQ(last, first + 12);

    // The elements and the header rewritten to claim a longer package change nothing.
    std::vector<unsigned char> copy(buffer.begin(), buffer.begin() + size);
    for (size_t offset : {size_t(4), size_t(8 + 4), size_t(8 + 12 + 4)}) {
        buffer[offset] = 50;
    }
    buffer[8 + 12] = 0; // the last element claims to be the first
    EXPECT_EQ(m_count(buffer.data()), 2);
    EXPECT_EQ(m_next(last), nullptr);
    // A pointer into the buffer that is no element, and one just past the package.
    EXPECT_EQ(m_next(first + 1), nullptr);
    EXPECT_EQ(m_value(first + 4), nullptr);
    EXPECT_EQ(m_value(buffer.data()), nullptr);
    EXPECT_EQ(m_value(last + 12), nullptr);
    EXPECT_EQ(m_next(last + 12), nullptr);
    const DWORD* value = m_value(last);
    ASSERT_EQ(value, reinterpret_cast<const DWORD*>(last + 8));

    // A copy of a package is not the package; a new read makes the old buffer foreign.
    EXPECT_EQ(m_count(copy.data()), 0);
    EXPECT_EQ(m_first(copy.data()), nullptr);
    EXPECT_EQ(m_next(copy.data() + 8), nullptr);
    std::vector<unsigned char> second(4096);
    size = 4096;
    ASSERT_EQ(m_read(second.data(), &size), 1);
    EXPECT_EQ(m_count(buffer.data()), 0);
    EXPECT_EQ(m_first(buffer.data()), nullptr);
    EXPECT_EQ(m_next(first), nullptr);
    EXPECT_EQ(m_value(first), nullptr);
    EXPECT_EQ(Walk(second.data()), (std::vector<uint32_t>{0x4B44, 3}));

    // A read that fails leaves no package to walk.
    size = 2;
    EXPECT_EQ(m_read(second.data(), &size), 0);
    EXPECT_EQ(m_count(second.data()), 0);
    EXPECT_EQ(m_first(second.data()), nullptr);
}

TEST_F(KdAcpiTest, BoardCanFailTheReadOrTheValues)
{
    std::vector<unsigned char> buffer(4096, 0xCC);
    DWORD size = 4096;
    ASSERT_TRUE(simboard::SetField(simboard::Field::KdAcpiReadFails, 1));
    EXPECT_EQ(m_read(buffer.data(), &size), 0);
    EXPECT_EQ(size, 4096u);
    EXPECT_EQ(buffer[0], 0xCC);
    EXPECT_EQ(m_count(buffer.data()), 0);
    EXPECT_EQ(Probe(), -1);

    ASSERT_TRUE(simboard::SetField(simboard::Field::KdAcpiReadFails, 0));
    ASSERT_TRUE(simboard::SetField(simboard::Field::KdAcpiValueNull, 1));
    ASSERT_EQ(m_read(buffer.data(), &size), 1);
    const void* first = m_first(buffer.data());
    ASSERT_NE(first, nullptr);
    EXPECT_NE(m_next(first), nullptr);
    EXPECT_EQ(m_value(first), nullptr);
    EXPECT_EQ(Probe(), -1);

    ASSERT_TRUE(simboard::SetField(simboard::Field::KdAcpiValueNull, 0));
    EXPECT_EQ(Probe(), 0x02010000);
}

} // namespace
