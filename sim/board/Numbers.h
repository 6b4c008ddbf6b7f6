#pragma once
// Numbers as presets, boardsim and the journal text write them.
#include <cstdint>
#include <string>

namespace simboard {

// Decimal (optionally negative) or hexadecimal with 0x; the whole text must be the number and it
// must fit 32 bits, signed or unsigned (0xFFFFFFFF is -1).
bool ParseInt32(const std::string& text, int32_t* value);

// Decimal for values between -255 and 255, otherwise the 32-bit pattern in hexadecimal, with eight
// digits above 0xFFFF ("0xF001", "0x0B060003", "0xFFFFFC18"); every form reads back with
// ParseInt32.
std::string FormatValue(int32_t value);

// Always hexadecimal, eight digits: how items are named ("0x0B060003").
std::string FormatItem(uint32_t item);

std::string Trim(const std::string& text);

// "{A1841308-3541-4FAB-BC81-F71556F20B4A}" to the 16 bytes of a GUID in memory order, and back.
bool ParseGuid(const std::string& text, uint8_t bytes[16]);
std::string FormatGuid(const uint8_t bytes[16]);

} // namespace simboard
