#include "image_crc.h"

#include <array>

namespace wendax {
namespace {

template <typename Word>
constexpr std::array<Word, 256> reflectedTable(Word polynomial)
{
    std::array<Word, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        Word v = static_cast<Word>(i);
        for (int bit = 0; bit < 8; ++bit)
            v = static_cast<Word>((v & 1U) ? (v >> 1) ^ polynomial : v >> 1);
        table[i] = v;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> makeCrc16Table()
{
    auto table = reflectedTable<std::uint16_t>(0x8408);
    // The devices carry this one entry differently; the wire format depends on it.
    table[0x5F] = 0x0072;
    return table;
}

constexpr auto kCrc16Table = makeCrc16Table();
constexpr auto kCrc32Table = reflectedTable<std::uint32_t>(0xEDB88320U);

static_assert(kCrc16Table[1] == 0x1189 && kCrc16Table[128] == 0x8408);
static_assert(kCrc32Table[1] == 0x77073096U);

} // namespace

std::uint16_t ImageCrc16(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0;
    for (const std::uint8_t v : bytes)
        crc = static_cast<std::uint16_t>(kCrc16Table[(crc & 0xFFU) ^ v] ^ (crc >> 8));
    return crc;
}

std::uint32_t ImageCrc32(std::span<const std::uint8_t> bytes)
{
    std::uint32_t crc = 0xFFFFFFFFU;
    for (const std::uint8_t v : bytes)
        crc = kCrc32Table[(crc >> 24) ^ v] ^ (crc << 8);
    return ~crc;
}

} // namespace wendax
