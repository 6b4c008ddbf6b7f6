#pragma once
// The simulated board as it lies in shared memory. 32-bit and 64-bit processes map the same
// bytes, so every field has a fixed width, the records are packed and their offsets are pinned
// by the assertions at the end: both builds compile the same assertions.
#include <cstddef>
#include <cstdint>

namespace simboard {

constexpr uint32_t kStateMagic = 0x53425654; // "TVBS"
constexpr uint32_t kStateVersion = 3;

constexpr uint32_t kMaxItems = 64;
constexpr uint32_t kItemBanks = 4;
constexpr uint32_t kFieldSlots = 64;
constexpr uint32_t kPresetNameSize = 32;
constexpr uint32_t kJournalCapacity = 4096;
constexpr uint32_t kChipHistoryCapacity = 8192;
constexpr uint32_t kMaxCallDelays = 16;
constexpr uint32_t kMaxPackageElements = 64;
constexpr uint32_t kFunctionNameSize = 44;
constexpr uint32_t kMaxJournalArgs = 4;
constexpr uint32_t kChipBanks = 16;
constexpr uint32_t kFolderSize = 264;

#pragma pack(push, 1)

// One hardware item of the power-gear library.
struct ItemRecord
{
    uint32_t id;
    int32_t value[kItemBanks];  // banked items keep one value per profile bank, others use [0]
    int32_t preset[kItemBanks]; // what the preset gave, restored by clearing the item
    uint8_t supported;
    uint8_t readFails;
    uint8_t writeFails;
    uint8_t pinned; // an explicit value that hides the live reading
    uint8_t banked; // selected by the profile bank item 0x0B060010
    uint8_t reserved[7];
};

// The simulated super-I/O chip: configuration space behind 0x2E/0x2F and the hardware monitor's
// banked registers behind 0x295/0x296.
struct ChipState
{
    uint16_t id;
    uint8_t configStage; // 0 outside, 1 after one 0x87, 2 in configuration mode
    uint8_t configIndex;
    uint8_t monitorIndex;
    uint8_t bankSelect; // register 0x4E
    uint8_t reserved[2];
    uint8_t config[256];
    uint8_t banks[kChipBanks][256];
};

// One access to a hardware-monitor register, in the order the chip saw them.
struct ChipAccessRecord
{
    uint32_t sequence; // the board's counter (Stamp.h)
    uint32_t processId;
    uint64_t ms;
    uint8_t write; // 1 write, 0 read
    uint8_t bank;  // bank in force (for a write of 0x4E: the bank before the switch)
    uint8_t reg;
    uint8_t value;
    uint32_t reserved;
};

struct JournalRecord
{
    uint32_t sequence; // the board's counter (Stamp.h)
    uint32_t processId;
    uint64_t ms;
    uint8_t library;
    uint8_t argCount;
    uint8_t hasOut;
    uint8_t reserved;
    int32_t result;
    int32_t out;
    int32_t args[kMaxJournalArgs];
    char function[kFunctionNameSize];
};

// An export made slow: it takes effect and is journaled at once, then returns ms later.
struct CallDelayRecord
{
    uint8_t library; // 0: a free slot
    uint8_t reserved[3];
    uint32_t ms;
    char function[kFunctionNameSize]; // "*": every export of the library
};

// The last GetSystemTimes sample, shared so that every process sees one load figure.
struct LoadSampler
{
    uint64_t idle;
    uint64_t kernel;
    uint64_t user;
    uint32_t tick;
    int32_t loadPermille;
};

struct BoardState
{
    uint32_t magic;
    uint32_t version;
    uint32_t size;
    uint32_t reserved0;
    char preset[kPresetNameSize];
    int32_t fields[kFieldSlots]; // indexed by Field
    uint32_t itemCount;
    uint32_t reserved1;
    ItemRecord items[kMaxItems];
    ChipState chip;
    LoadSampler sampler;
    uint32_t packageCount;
    uint32_t package[kMaxPackageElements];
    uint8_t activeScheme[16];     // GUID of the active power scheme
    char kdioFolder[kFolderSize]; // what the last KDIO_Open was given (cut to fit)
    uint32_t sequence;            // the last number handed out; kept over resets and clears
    uint32_t journalTotal;        // calls recorded since the last clear; the ring keeps the newest
    uint32_t journalLastDropped;  // sequence of the newest call the ring dropped, 0: none
    uint32_t chipTotal;           // register accesses since the last clear
    uint32_t chipLastDropped;
    uint32_t reserved2;
    CallDelayRecord delays[kMaxCallDelays];
    JournalRecord journal[kJournalCapacity];
    ChipAccessRecord chipAccesses[kChipHistoryCapacity];
};

#pragma pack(pop)

static_assert(sizeof(ItemRecord) == 48, "item record layout");
static_assert(sizeof(ChipState) == 4360, "chip layout");
static_assert(sizeof(ChipAccessRecord) == 24, "chip access layout");
static_assert(sizeof(JournalRecord) == 88, "journal record layout");
static_assert(sizeof(CallDelayRecord) == 52, "call delay layout");
static_assert(sizeof(LoadSampler) == 32, "sampler layout");
static_assert(offsetof(BoardState, preset) == 16, "board layout");
static_assert(offsetof(BoardState, fields) == 48, "board layout");
static_assert(offsetof(BoardState, items) == 312, "board layout");
static_assert(offsetof(BoardState, chip) == 3384, "board layout");
static_assert(offsetof(BoardState, sampler) == 7744, "board layout");
static_assert(offsetof(BoardState, package) == 7780, "board layout");
static_assert(offsetof(BoardState, activeScheme) == 8036, "board layout");
static_assert(offsetof(BoardState, kdioFolder) == 8052, "board layout");
static_assert(offsetof(BoardState, sequence) == 8316, "board layout");
static_assert(offsetof(BoardState, delays) == 8340, "board layout");
static_assert(offsetof(BoardState, journal) == 9172, "board layout");
static_assert(offsetof(BoardState, chipAccesses) == 369620, "board layout");
static_assert(sizeof(BoardState) == 566228, "board layout");

} // namespace simboard
