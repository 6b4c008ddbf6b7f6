#include "sim/board/Preset.h"

#include "sim/board/BoardLogic.h"
#include "sim/board/Chip.h"
#include "sim/board/Fields.h"
#include "sim/board/Numbers.h"

#include <windows.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <strings.h>

namespace simboard {

namespace {

const int kMaxBaseDepth = 8;
const DWORD kSectionBufferSize = 32768;

std::string ModuleDirectory(HMODULE module)
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::string();
    }
    std::string file(path, length);
    return file.substr(0, file.find_last_of('\\') + 1);
}

bool IsValidName(const std::string& name)
{
    if (name.empty() || name.size() >= kPresetNameSize) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    });
}

std::string FindPresetFile(const std::string& name)
{
    for (const std::string& folder : PresetFolders()) {
        std::string path = folder + name + ".ini";
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return path;
        }
    }
    return std::string();
}

// key=value lines of a section; empty when the section is missing.
std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& path,
                                                             const char* section)
{
    std::vector<char> buffer(kSectionBufferSize);
    DWORD length =
        GetPrivateProfileSectionA(section, buffer.data(), kSectionBufferSize, path.c_str());
    std::vector<std::pair<std::string, std::string>> lines;
    for (DWORD i = 0; i < length;) {
        std::string line(&buffer[i]);
        i += static_cast<DWORD>(line.size()) + 1;
        size_t equals = line.find('=');
        if (line.empty() || line[0] == ';' || line[0] == '#' || equals == std::string::npos) {
            continue;
        }
        lines.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
    return lines;
}

std::vector<std::string> SectionNames(const std::string& path)
{
    std::vector<char> buffer(kSectionBufferSize);
    DWORD length = GetPrivateProfileSectionNamesA(buffer.data(), kSectionBufferSize, path.c_str());
    std::vector<std::string> names;
    for (DWORD i = 0; i < length;) {
        std::string name(&buffer[i]);
        i += static_cast<DWORD>(name.size()) + 1;
        if (!name.empty()) {
            names.push_back(name);
        }
    }
    return names;
}

std::vector<std::string> Tokens(const std::string& text)
{
    std::vector<std::string> tokens;
    std::string current;
    for (char c : text) {
        if (c == ',' || std::isspace(static_cast<unsigned char>(c))) {
            if (!current.empty()) {
                tokens.push_back(current);
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        tokens.push_back(current);
    }
    return tokens;
}

class PresetReader
{
public:
    PresetReader(BoardState& state, std::string* error) : m_state(state), m_error(error) {}

    bool Apply(const std::string& name, int depth)
    {
        std::string path = IsValidName(name) ? FindPresetFile(name) : std::string();
        if (path.empty()) {
            return Report("unknown preset '" + name + "'");
        }
        if (depth > kMaxBaseDepth) {
            return Report("preset '" + name + "': bases nest too deep");
        }
        m_name = name;
        for (const std::string& section : SectionNames(path)) {
            static const char* const known[] = {"Preset", "Board",    "Items",
                                                "Chip",   "Firmware", "Power"};
            if (std::none_of(std::begin(known), std::end(known),
                             [&](const char* k) { return strcasecmp(k, section.c_str()) == 0; })) {
                return Fail("unknown section [" + section + "]");
            }
        }
        for (const auto& line : ReadSection(path, "Preset")) {
            if (strcasecmp(line.first.c_str(), "Base") == 0) {
                if (!Apply(line.second, depth + 1)) {
                    return false;
                }
                m_name = name;
            } else if (strcasecmp(line.first.c_str(), "Description") != 0) {
                return Fail("unknown key " + line.first + " in [Preset]");
            }
        }
        return Board(path) && Items(path) && ChipSection(path) && Firmware(path) && Power(path);
    }

private:
    bool Report(const std::string& message)
    {
        if (m_error && m_error->empty()) {
            *m_error = message;
        }
        return false;
    }

    bool Fail(const std::string& message) { return Report("preset '" + m_name + "': " + message); }

    bool Number(const std::string& text, int32_t* value)
    {
        return ParseInt32(text, value) || Fail("bad number '" + text + "'");
    }

    bool Board(const std::string& path)
    {
        for (const auto& line : ReadSection(path, "Board")) {
            Field field;
            int32_t value;
            if (!FindField(line.first.c_str(), &field)) {
                return Fail("unknown field " + line.first);
            }
            if (!Number(line.second, &value)) {
                return false;
            }
            FieldRef(m_state, field) = value;
        }
        return true;
    }

    bool Items(const std::string& path)
    {
        for (const auto& line : ReadSection(path, "Items")) {
            int32_t id;
            if (!Number(line.first, &id)) {
                return false;
            }
            ItemRecord* record = AddItem(m_state, static_cast<uint32_t>(id));
            if (!record) {
                return Fail("more than 64 items");
            }
            *record = ItemRecord();
            record->id = static_cast<uint32_t>(id);
            record->supported = 1;
            std::vector<int32_t> values;
            for (const std::string& token : Tokens(line.second)) {
                int32_t value;
                if (strcasecmp(token.c_str(), "unsupported") == 0) {
                    record->supported = 0;
                } else if (strcasecmp(token.c_str(), "readfail") == 0) {
                    record->readFails = 1;
                } else if (strcasecmp(token.c_str(), "writefail") == 0) {
                    record->writeFails = 1;
                } else if (ParseInt32(token, &value)) {
                    values.push_back(value);
                } else {
                    return Fail("bad item value '" + line.second + "' for " + line.first);
                }
            }
            if (values.size() != 1 && values.size() != kItemBanks) {
                return Fail("item " + line.first + " needs one value or four banked values");
            }
            record->banked = values.size() == kItemBanks ? 1 : 0;
            for (uint32_t i = 0; i < kItemBanks; ++i) {
                record->value[i] = record->preset[i] = values[record->banked ? i : 0];
            }
        }
        return true;
    }

    bool ChipSection(const std::string& path)
    {
        for (const auto& line : ReadSection(path, "Chip")) {
            int32_t value;
            if (!Number(line.second, &value)) {
                return false;
            }
            size_t colon = line.first.find(':');
            if (strcasecmp(line.first.c_str(), "Id") == 0) {
                m_state.chip.id = static_cast<uint16_t>(value);
            } else if (strcasecmp(line.first.c_str(), "CpuTempHalf") == 0) {
                SetCpuTemperatureHalf(m_state.chip, value);
            } else if (colon != std::string::npos) {
                int32_t bank, reg;
                if (!Number(Trim(line.first.substr(0, colon)), &bank) ||
                    !Number(Trim(line.first.substr(colon + 1)), &reg)) {
                    return false;
                }
                if (bank < 0 || bank >= static_cast<int32_t>(kChipBanks) || reg < 0 || reg > 0xFF ||
                    value < 0 || value > 0xFF) {
                    return Fail("chip register " + line.first + " out of range");
                }
                if (reg == kBankSelectRegister) {
                    m_state.chip.bankSelect = static_cast<uint8_t>(value);
                } else {
                    m_state.chip.banks[bank][reg] = static_cast<uint8_t>(value);
                }
            } else {
                return Fail("unknown key " + line.first + " in [Chip]");
            }
        }
        return true;
    }

    bool Firmware(const std::string& path)
    {
        for (const auto& line : ReadSection(path, "Firmware")) {
            if (strcasecmp(line.first.c_str(), "Package") != 0) {
                return Fail("unknown key " + line.first + " in [Firmware]");
            }
            std::vector<std::string> tokens = Tokens(line.second);
            if (tokens.size() > kMaxPackageElements) {
                return Fail("more than 64 package elements");
            }
            m_state.packageCount = 0;
            for (const std::string& token : tokens) {
                int32_t value;
                if (!Number(token, &value)) {
                    return false;
                }
                m_state.package[m_state.packageCount++] = static_cast<uint32_t>(value);
            }
        }
        return true;
    }

    bool Power(const std::string& path)
    {
        for (const auto& line : ReadSection(path, "Power")) {
            if (strcasecmp(line.first.c_str(), "ActiveScheme") != 0) {
                return Fail("unknown key " + line.first + " in [Power]");
            }
            if (!ParseGuid(line.second, m_state.activeScheme)) {
                return Fail("bad GUID '" + line.second + "'");
            }
        }
        return true;
    }

    BoardState& m_state;
    std::string* m_error;
    std::string m_name;
};

} // namespace

bool LoadPreset(const std::string& name, BoardState& state, std::string* error)
{
    std::string message;
    std::unique_ptr<BoardState> fresh(new BoardState());
    std::memset(fresh.get(), 0, sizeof(BoardState));
    PresetReader reader(*fresh, &message);
    if (!reader.Apply(name, 0)) {
        if (error) {
            *error = message;
        }
        return false;
    }
    fresh->magic = kStateMagic;
    fresh->version = kStateVersion;
    fresh->size = sizeof(BoardState);
    std::strncpy(fresh->preset, name.c_str(), kPresetNameSize - 1);
    SetGearLevel(*fresh, FieldValue(*fresh, Field::Level));
    if (ItemRecord* level = FindItem(*fresh, item::GearLevel)) {
        level->preset[0] = level->value[0];
    }
    // The counter goes on over a reset, so that records kept elsewhere (a peer's request log)
    // stay comparable with the new board's.
    if (state.magic == kStateMagic && state.version == kStateVersion &&
        state.size == sizeof(BoardState)) {
        fresh->sequence = state.sequence;
    }
    std::memcpy(&state, fresh.get(), sizeof(BoardState));
    return true;
}

std::string ConfiguredPreset()
{
    std::string ini = ModuleDirectory(nullptr) + "BoardSim.ini";
    char name[kPresetNameSize * 2] = {};
    GetPrivateProfileStringA("BoardSim", "Preset", "default", name, sizeof name, ini.c_str());
    std::string chosen = Trim(name);
    return chosen.empty() ? "default" : chosen;
}

bool InitialiseFromConfiguration(BoardState& state, std::string* error)
{
    return LoadPreset(ConfiguredPreset(), state, error);
}

std::vector<std::string> PresetFolders()
{
    std::vector<std::string> folders;
    std::string program = ModuleDirectory(nullptr);
    if (!program.empty()) {
        folders.push_back(program + "presets\\");
    }
    HMODULE self = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&PresetFolders), &self)) {
        std::string own = ModuleDirectory(self);
        if (!own.empty() && strcasecmp(own.c_str(), program.c_str()) != 0) {
            folders.push_back(own + "presets\\");
        }
    }
    return folders;
}

std::vector<std::string> PresetNames()
{
    std::vector<std::string> names;
    for (const std::string& folder : PresetFolders()) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*.ini").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            std::string file = found.cFileName;
            std::string name = file.substr(0, file.size() - 4);
            if (IsValidName(name) && std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(name);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace simboard
