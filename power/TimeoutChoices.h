#pragma once
// The choice lists of the idle-doze and disk spin-down times, and the mappings between a stored
// value and a list entry.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tv {

struct TimeoutChoice
{
    const char* key; // language key: "After 1 min", "After %1 mins", ..., "Never"
    int number;      // replaces %1 in the key's text (0 when the key has none)
    int32_t seconds; // 0 for "Never"
};

// All 15 entries: 1 minute to 5 hours, "Never" last.
std::vector<TimeoutChoice> DozeTimeoutChoices();
// The 15 entries on Windows major version 6 (or when the version is unknown, below 0); on other
// versions "After 1 min" is left out.
std::vector<TimeoutChoice> SpinDownTimeoutChoices(int windowsMajorVersion);

// The entry with the largest time not above seconds; "Never" (the last entry) below the
// shortest time.
size_t ChoiceIndexForSeconds(const std::vector<TimeoutChoice>& choices, int32_t seconds);

// Stored idle-doze values are milliseconds, spin-down values seconds. An index outside the list
// stores 0 ("Never").
int32_t DozeTimeoutFromChoice(size_t index);
size_t DozeChoiceForTimeout(int32_t milliseconds);
int32_t SpinDownTimeoutFromChoice(const std::vector<TimeoutChoice>& choices, size_t index);
size_t SpinDownChoiceForTimeout(const std::vector<TimeoutChoice>& choices, int32_t seconds);

// The entry's text from the language file, with %1 replaced by its number.
using TextLookup = std::function<std::string(const char* key)>;
std::string TimeoutChoiceText(const TimeoutChoice& choice, const TextLookup& lookup);
// Through the program's translator.
std::string TimeoutChoiceText(const TimeoutChoice& choice);

} // namespace tv
