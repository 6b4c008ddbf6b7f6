#include "power/TimeoutChoices.h"

#include "shell/base/Translate.h"

namespace tv {
namespace {

constexpr char kOneMinute[] = "After 1 min";
constexpr char kMinutes[] = "After %1 mins";
constexpr char kOneHour[] = "After 1 hour";
constexpr char kHours[] = "After %1 hours";
constexpr char kNever[] = "Never";

std::vector<TimeoutChoice> FullList()
{
    std::vector<TimeoutChoice> choices{{kOneMinute, 0, 60}};
    for (int minutes : {3, 5, 10, 15, 20, 25, 30, 45}) {
        choices.push_back({kMinutes, minutes, minutes * 60});
    }
    choices.push_back({kOneHour, 0, 3600});
    for (int hours : {2, 3, 4, 5}) {
        choices.push_back({kHours, hours, hours * 3600});
    }
    choices.push_back({kNever, 0, 0});
    return choices;
}

} // namespace

std::vector<TimeoutChoice> DozeTimeoutChoices()
{
    return FullList();
}

std::vector<TimeoutChoice> SpinDownTimeoutChoices(int windowsMajorVersion)
{
    std::vector<TimeoutChoice> choices = FullList();
    if (windowsMajorVersion >= 0 && windowsMajorVersion != 6) {
        choices.erase(choices.begin());
    }
    return choices;
}

size_t ChoiceIndexForSeconds(const std::vector<TimeoutChoice>& choices, int32_t seconds)
{
    size_t found = choices.empty() ? 0 : choices.size() - 1;
    int32_t best = 0;
    for (size_t i = 0; i < choices.size(); ++i) {
        const int32_t threshold = choices[i].seconds;
        if (threshold > 0 && threshold <= seconds && threshold > best) {
            best = threshold;
            found = i;
        }
    }
    return found;
}

int32_t DozeTimeoutFromChoice(size_t index)
{
    const std::vector<TimeoutChoice> choices = DozeTimeoutChoices();
    return index < choices.size() ? choices[index].seconds * 1000 : 0;
}

size_t DozeChoiceForTimeout(int32_t milliseconds)
{
    return ChoiceIndexForSeconds(DozeTimeoutChoices(), milliseconds / 1000);
}

int32_t SpinDownTimeoutFromChoice(const std::vector<TimeoutChoice>& choices, size_t index)
{
    return index < choices.size() ? choices[index].seconds : 0;
}

size_t SpinDownChoiceForTimeout(const std::vector<TimeoutChoice>& choices, int32_t seconds)
{
    return ChoiceIndexForSeconds(choices, seconds);
}

std::string TimeoutChoiceText(const TimeoutChoice& choice, const TextLookup& lookup)
{
    std::string text = lookup(choice.key);
    if (choice.number != 0) {
        const size_t at = text.find("%1");
        if (at != std::string::npos) {
            text.replace(at, 2, std::to_string(choice.number));
        }
    }
    return text;
}

std::string TimeoutChoiceText(const TimeoutChoice& choice)
{
    return TimeoutChoiceText(choice, [](const char* key) { return Translate(key); });
}

} // namespace tv
