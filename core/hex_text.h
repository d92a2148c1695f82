#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

/// Hexadecimal text over the alphabet "0123456789ABCDEF" (upper case only).
namespace wendax {

/// Value 0..15 of a digit, or -1 for any other character (lower-case a..f included).
int HexNibble(char c);

/// The digit for the low four bits of `value`.
char HexChar(int value);

/// Two digits per byte, high nibble first.
std::string BytesToHex(std::span<const std::uint8_t> bytes);

/// Fills `out` from the first 2 x out.size() characters of `text` (missing
/// characters count as non-digits). Never fails: a non-digit in the first
/// position of a pair gives a high nibble of F, in the second the byte 0xFF.
void HexToBytes(std::span<std::uint8_t> out, std::string_view text);

} // namespace wendax
