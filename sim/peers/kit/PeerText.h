#pragma once
// Text helpers of the peers: numbers as the command line and the control channel write them,
// words, hex dumps.
#include <windows.h>
#include <string>
#include <vector>

namespace tvsim {

// Decimal or 0x-prefixed hexadecimal, the whole text, 0..0xFFFFFFFF.
bool ParseNumber(const std::string& text, DWORD& value);
// Splits at blanks.
std::vector<std::string> SplitWords(const std::string& text);
// Two lower-case hex digits per byte, no separators.
std::string HexBytes(const std::vector<unsigned char>& bytes);
std::string HexNumber(DWORD value);
// Prints the usage text: on stdout with exit code 0 when problem is empty (asked for help), else
// "program: problem" and the usage on stderr with exit code 2.
int PrintUsage(const char* program, const char* usage, const std::string& problem);
// Appends a little-endian 32-bit word.
void PutWord(std::vector<unsigned char>& bytes, DWORD word);
// Word index of bytes, or false when it is not complete.
bool GetWord(const std::vector<unsigned char>& bytes, size_t index, DWORD& word);

} // namespace tvsim
