#pragma once
// Board presets: INI files "presets\NAME.ini" beside the program (or beside the stand-in that
// needs them). Sections:
//   [Preset]   Base=NAME (applied first), Description=text
//   [Board]    FIELD=NUMBER for the named fields (Fields.h)
//   [Items]    ITEM=VALUE [FLAGS], or four values for an item banked by profile (0x0B060010);
//              FLAGS: unsupported, readfail, writefail
//   [Chip]     Id=NUMBER, CpuTempHalf=NUMBER, BANK:REGISTER=VALUE
//   [Firmware] Package=VALUE,VALUE,... (the elements kdacpi.dll hands out)
//   [Power]    ActiveScheme={GUID}
// "BoardSim.ini" beside the program chooses the preset a new board starts from:
//   [BoardSim] Preset=NAME    (default: "default")
#include "sim/board/BoardLayout.h"

#include <string>
#include <vector>

namespace simboard {

// Replaces the whole state (journal and chip history included) with the preset; on failure the
// state is left as it was and error says why.
bool LoadPreset(const std::string& name, BoardState& state, std::string* error);

// The preset BoardSim.ini names, else "default".
std::string ConfiguredPreset();
bool InitialiseFromConfiguration(BoardState& state, std::string* error);

// Folders searched for presets (with trailing backslash): beside the program, then beside the
// module that holds this code.
std::vector<std::string> PresetFolders();
// Names of the presets found there, sorted.
std::vector<std::string> PresetNames();

} // namespace simboard
