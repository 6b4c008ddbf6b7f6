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

bool ParseGuid(const std::string& text, uint8_t bytes[16])
{
    unsigned long data1;
    unsigned data2, data3, d[8];
    char tail;
    if (std::sscanf(text.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%c", &data1, &data2,
                    &data3, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5], &d[6], &d[7], &tail) != 11) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(data1 >> (8 * i));
    }
    bytes[4] = static_cast<uint8_t>(data2);
    bytes[5] = static_cast<uint8_t>(data2 >> 8);
    bytes[6] = static_cast<uint8_t>(data3);
    bytes[7] = static_cast<uint8_t>(data3 >> 8);
    for (int i = 0; i < 8; ++i) {
        bytes[8 + i] = static_cast<uint8_t>(d[i]);
    }
    return true;
}

std::string FormatGuid(const uint8_t bytes[16])
{
    char text[40];
    const uint8_t* g = bytes;
    std::snprintf(text, sizeof text,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g[3],
                  g[2], g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13],
                  g[14], g[15]);
    return text;
}

} // namespace simboard
