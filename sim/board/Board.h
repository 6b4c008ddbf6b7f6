#pragma once
// Control of the simulated board, for tests (in-process) and boardsim. Every stand-in DLL of every
// process shares the one board of the machine; each function here takes the board's lock, so the
// calls are safe against stand-ins running in other threads and processes. Functions return false
// (or an empty result) when the board cannot be opened; TraceLog says why.
#include "sim/board/Fields.h"
#include "sim/board/Library.h"

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace simboard {

// ---- the board as a whole -----------------------------------------------------------------

bool Available();
// Why the board could not be opened or created, the last time it failed in this process.
std::string UnavailableReason();
// A fresh board from the preset: journal, chip history and every value reset.
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

// ---- journal of export calls --------------------------------------------------------------

struct JournalEntry
{
    uint32_t sequence = 0; // 1 for the first call after a reset or clear
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
};

struct Journal
{
    std::vector<JournalEntry> entries; // oldest first
    uint32_t overflow = 0;             // older calls the ring dropped

    // The calls of one library (and one function, when given), in order.
    std::vector<JournalEntry> Calls(Library library, const std::string& function = "") const;
    // "function(args)" of the selected calls, e.g. {"OptiGearSetLevel(0)", "OptiGearSetLevel(2)"}.
    std::vector<std::string> Signatures(Library library, const std::string& function = "") const;
};

Journal ReadJournal();
bool ClearJournal();

// ---- super-I/O chip -----------------------------------------------------------------------

struct ChipWrite
{
    uint32_t sequence = 0;
    uint8_t bank = 0; // bank in force when written (for 0x4E: the bank before the switch)
    uint8_t reg = 0;
    uint8_t value = 0;
};

struct ChipHistory
{
    std::vector<ChipWrite> writes; // oldest first
    uint32_t overflow = 0;
};

uint16_t ChipId();
bool SetChipId(uint16_t id);
bool IsChipClassB(uint16_t id);
// The register as the chip holds it (bank 0..15); 0x4E is the bank select in every bank.
uint8_t ChipRegister(uint8_t bank, uint8_t reg);
bool SetChipRegister(uint8_t bank, uint8_t reg, uint8_t value);
// Bank 1, 0x50/0x51.
int32_t CpuTemperatureHalf();
bool SetCpuTemperatureHalf(int32_t halfDegrees);
ChipHistory ReadChipWrites();
// The folder the last successful KDIO_Open was given ("" since the reset).
std::string KdIoOpenFolder();
bool ClearChipWrites();

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
