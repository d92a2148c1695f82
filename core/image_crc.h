#pragma once
#include <cstdint>
#include <span>

namespace wendax {

/// The wire checksum: CRC-16 with the reflected CCITT table (0x8408) except
/// entry 0x5F, which the devices hold as 0x0072. No final inversion; an empty
/// buffer gives 0. Pure; any thread.
std::uint16_t ImageCrc16(std::span<const std::uint8_t> bytes);

/// The in-image and file checksum: the reflected CRC-32 table indexed with the
/// register's top byte while the register shifts left, start 0xFFFFFFFF, result
/// inverted. Neither published CRC-32 variant. Pure; any thread.
std::uint32_t ImageCrc32(std::span<const std::uint8_t> bytes);

} // namespace wendax
