#include "sim/peers/kit/PeerText.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace tvsim {

bool ParseNumber(const std::string& text, DWORD& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') {
        return false;
    }
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    if (*digits == '\0') {
        return false;
    }
    for (const char* p = digits; *p; ++p) {
        bool ok =
            hex ? std::isxdigit(static_cast<unsigned char>(*p)) != 0 : (*p >= '0' && *p <= '9');
        if (!ok) {
            return false;
        }
    }
    errno = 0;
    unsigned long long parsed = std::strtoull(digits, nullptr, hex ? 16 : 10);
    if (errno != 0 || parsed > 0xFFFFFFFFull) {
        return false;
    }
    value = static_cast<DWORD>(parsed);
    return true;
}

std::vector<std::string> SplitWords(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

std::string HexBytes(const std::vector<unsigned char>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

std::string HexNumber(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
    return text;
}

int PrintUsage(const char* program, const char* usage, const std::string& problem)
{
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", program, problem.c_str());
    }
    std::fputs(usage, problem.empty() ? stdout : stderr);
    return problem.empty() ? 0 : 2;
}

void PutWord(std::vector<unsigned char>& bytes, DWORD word)
{
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<unsigned char>(word >> (8 * i)));
    }
}

bool GetWord(const std::vector<unsigned char>& bytes, size_t index, DWORD& word)
{
    if (bytes.size() < (index + 1) * 4) {
        return false;
    }
    word = 0;
    for (int i = 0; i < 4; ++i) {
        word |= static_cast<DWORD>(bytes[index * 4 + i]) << (8 * i);
    }
    return true;
}

} // namespace tvsim
