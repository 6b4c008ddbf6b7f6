#include "sim/board/Numbers.h"

#include <cctype>
#include <cstdio>

namespace simboard {

bool ParseInt32(const std::string& text, int32_t* value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) {
        return false;
    }
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned digit;
        if (std::isdigit(c)) {
            digit = c - '0';
        } else if (base == 16 && std::isxdigit(c)) {
            digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
        } else {
            return false;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull) {
            return false;
        }
    }
    if (negative) {
        if (magnitude > 0x80000000ull) {
            return false;
        }
        *value = static_cast<int32_t>(-static_cast<int64_t>(magnitude));
    } else {
        *value = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    }
    return true;
}

std::string FormatValue(int32_t value)
{
    char text[16];
    if (value > -256 && value < 256) {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    } else if (static_cast<uint32_t>(value) <= 0xFFFF) {
        std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    } else {
        std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    }
    return text;
}

std::string FormatItem(uint32_t item)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(item));
    return text;
}

std::string Trim(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

} // namespace simboard
