#pragma once
// Control of the simulated board, for tests (in-process) and boardsim. Every stand-in DLL of every
// process shares the one board of the machine; each function here takes the board's lock, so the
// calls are safe against stand-ins running in other threads and processes. Functions return false
// (or an empty result) when the board cannot be opened; TraceLog says why.
#include "sim/board/Fields.h"
#include "sim/board/Library.h"
#include "sim/board/Stamp.h"

#include <windows.h>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simboard {

// ---- the board as a whole -----------------------------------------------------------------

bool Available();
// Why the board could not be opened or created, the last time it failed in this process.
std::string UnavailableReason();
// A fresh board from the preset: journal, chip history, delays and every value reset (the
// sequence counter goes on).
bool Reset(const std::string& preset, std::string* error = nullptr);
// A fresh board from the preset BoardSim.ini names (else "default"), as on first use.
bool ResetToConfigured(std::string* error = nullptr);
std::string PresetName();
std::vector<std::string> PresetNames();

// ---- named fields (Fields.h) --------------------------------------------------------------

bool GetField(Field field, int32_t* value);
// The value, or 0 when the board is unavailable.
int32_t FieldValue(Field field);
// Level also moves item 0x0B060001, as the library's level call does.
bool SetField(Field field, int32_t value);

// ---- hardware items -----------------------------------------------------------------------

struct ItemState
{
    uint32_t id = 0;
    int32_t value = 0; // stored value (profile bank 0 for banked items)
    int32_t bankValues[4] = {};
    bool supported = false;
    bool readFails = false;
    bool writeFails = false;
    bool pinned = false; // set explicitly: hides the live reading until cleared
    bool banked = false;
    bool live = false; // 0x0E0B0013, 0x0E0A0011, 0x0E060001
};

bool HasItem(uint32_t item);
// What the library would read now (live items computed), without its failure flags.
bool GetItem(uint32_t item, int32_t* value);
// An explicit value (all profile banks of a banked item); it stays over a live reading until
// ClearItem. Only items of the board's table: false for others.
bool SetItem(uint32_t item, int32_t value);
bool SetBankItem(uint32_t item, uint32_t bank, int32_t value);
// Back to the preset's value; a live item follows the board again.
bool ClearItem(uint32_t item);
bool SetItemFlags(uint32_t item, bool supported, bool readFails, bool writeFails);
// Adds an item to the table (supported, value 0) when it is missing.
bool AddItem(uint32_t item, int32_t value);
bool GetItemState(uint32_t item, ItemState* state);
std::vector<ItemState> Items();

// ---- order and time of the records (Stamp.h) ---------------------------------------------

// The newest number the board's counter handed out (0 before the first): a mark to read the
// records "since". The counter goes on over clears and resets.
uint32_t LastSequence();
// A new number of the board's counter with the time, for a record kept outside the board (the
// peers' logs); sequence 0 when the board is not available.
Stamp TakeStamp();

// ---- journal of export calls --------------------------------------------------------------

struct JournalEntry : Stamp
{
    uint32_t processId = 0;
    Library library = Library::None;
    std::string function;
    std::vector<int32_t> args;
    int32_t result = 0;
    bool hasOut = false;
    int32_t out = 0; // the value handed back through the call's out parameter

    // "OptiGear OptiGearGetItem(0x0B060003) = 1 -> 12"; numbers as FormatValue writes them
    // (Numbers.h): below 256 in decimal, others in hexadecimal.
    std::string Text() const;
    // "OptiGearGetItem(0x0B060003)"
    std::string Signature() const;
    // Of the library (None: any) and named `call`: a function name ("OptiGearSetLevel") or a
    // signature ("OptiGearSetLevel(2)").
    bool Matches(Library library, const std::string& call) const;
};

struct Journal
{
    std::vector<JournalEntry> entries; // oldest first
    uint32_t overflow = 0;             // calls the ring dropped since the clear
    uint32_t lastDropped = 0;          // sequence of the newest of them, 0 for none

    // Whether calls after `sequence` were lost to the ring.
    bool DroppedAfter(uint32_t sequence) const { return lastDropped > sequence; }
    // The calls of one library (and one function, when given), in order.
    std::vector<JournalEntry> Calls(Library library, const std::string& function = "") const;
    // "function(args)" of the selected calls, e.g. {"OptiGearSetLevel(0)", "OptiGearSetLevel(2)"}.
    std::vector<std::string> Signatures(Library library, const std::string& function = "") const;
    // The first matching call (JournalEntry::Matches) after sequence `after`, or none.
    std::optional<JournalEntry> Find(Library library, const std::string& call,
                                     uint32_t after = 0) const;
    std::optional<JournalEntry> FindLast(Library library, const std::string& call) const;
};

// The calls recorded after sequence `since` (0: every call the ring keeps).
Journal ReadJournal(uint32_t since = 0);
bool ClearJournal();
// Polls the journal until a matching call after `after` is there; none after timeoutMs.
std::optional<JournalEntry> WaitForCall(Library library, const std::string& call, uint32_t after,
                                        DWORD timeoutMs);

// ---- slow exports -------------------------------------------------------------------------

struct CallDelay
{
    Library library = Library::None;
    std::string function; // "*": every export of the library
    uint32_t ms = 0;
};

constexpr uint32_t kMaxCallDelayMs = 60000;

// Makes an export slow: it takes effect and is journaled at once, then returns ms later (the
// board is not locked meanwhile). function: its journal name (Exports(library)) or "*" for every
// export of the library; an exact entry wins over "*". ms 0 removes the delay. False for an
// unknown export, ms over kMaxCallDelayMs or a full table (16 entries). A reset removes all.
bool SetCallDelay(Library library, const std::string& function, uint32_t ms);
std::vector<CallDelay> CallDelays();
bool ClearCallDelays();

// ---- super-I/O chip -----------------------------------------------------------------------

// One read or write of a hardware-monitor register (ports 0x295/0x296) by a stand-in.
struct ChipAccess : Stamp
{
    uint32_t processId = 0;
    bool write = false;
    uint8_t bank = 0; // bank in force (for a write of 0x4E: the bank before the switch)
    uint8_t reg = 0;
    uint8_t value = 0; // written, or answered

    // "write bank 0x00 register 0x4E = 0x01", "read bank 0x01 register 0x50 = 0x5B"
    std::string Text() const;
};
using ChipWrite = ChipAccess;

struct ChipHistory
{
    std::vector<ChipAccess> accesses; // reads and writes, oldest first
    std::vector<ChipAccess> writes;   // the writes among them
    uint32_t overflow = 0;            // accesses the ring dropped since the clear
    uint32_t lastDropped = 0;         // sequence of the newest of them, 0 for none

    bool DroppedAfter(uint32_t sequence) const { return lastDropped > sequence; }
    // The first read (write = false) or write of the register, in any bank, after `after`.
    std::optional<ChipAccess> Find(uint8_t reg, bool write, uint32_t after = 0) const;
    // Text() of every access, oldest first.
    std::vector<std::string> Texts() const;
};

// The accesses recorded after sequence `since` (0: every access the ring keeps; 8192).
ChipHistory ReadChip(uint32_t since = 0);
inline ChipHistory ReadChipWrites()
{
    return ReadChip();
}
bool ClearChipHistory();
inline bool ClearChipWrites()
{
    return ClearChipHistory();
}

uint16_t ChipId();
bool SetChipId(uint16_t id);
bool IsChipClassB(uint16_t id);
// The register as the chip holds it (bank 0..15); 0x4E is the bank select in every bank.
uint8_t ChipRegister(uint8_t bank, uint8_t reg);
bool SetChipRegister(uint8_t bank, uint8_t reg, uint8_t value);
// Bank 1, 0x50/0x51.
int32_t CpuTemperatureHalf();
bool SetCpuTemperatureHalf(int32_t halfDegrees);
// The bank register 0x4E selects now (low nibble).
uint8_t ChipBank();
// The folder the last successful KDIO_Open was given ("" since the reset).
std::string KdIoOpenFolder();

// ---- firmware package of kdacpi.dll -------------------------------------------------------

std::vector<uint32_t> Package();
bool SetPackage(const std::vector<uint32_t>& elements); // at most 64

// ---- Windows power schemes of the powrprof stand-in ---------------------------------------

bool GetActiveScheme(GUID* scheme);
bool SetActiveScheme(const GUID& scheme);

// ---- live readings ------------------------------------------------------------------------

// The model's CPU power and load now, before encoding.
uint32_t CpuPowerMilliwatts();
uint32_t CpuLoadPermille();

// ---- text ---------------------------------------------------------------------------------

// Summary of the board as boardsim status prints it; starts with "preset      NAME".
std::string StatusText();

} // namespace simboard
