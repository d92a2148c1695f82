#include "hex_text.h"

namespace wendax {

namespace {
constexpr std::string_view kDigits = "0123456789ABCDEF";
}

int HexNibble(char c)
{
    const auto at = kDigits.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

char HexChar(int value)
{
    return kDigits[static_cast<std::size_t>(value & 0xF)];
}

std::string BytesToHex(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text.push_back(HexChar(b >> 4));
        text.push_back(HexChar(b));
    }
    return text;
}

void HexToBytes(std::span<std::uint8_t> out, std::string_view text)
{
    auto charAt = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    for (std::size_t i = 0; i < out.size(); ++i) {
        // -1 from a non-digit is all ones: shifted it leaves F in the high
        // nibble, OR-ed in the second place it turns the byte into 0xFF.
        const int high = (HexNibble(charAt(2 * i)) << 4) & 0xFF;
        out[i] = static_cast<std::uint8_t>(high | HexNibble(charAt(2 * i + 1)));
    }
}

} // namespace wendax
