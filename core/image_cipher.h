#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace wendax {

/// The configuration-image cipher: Blowfish in electronic-codebook mode whose
/// 32-bit block halves are read and written little-endian. Every call runs the
/// full key schedule, so calls share no state and may run on any thread.
struct ImageCipher {
    /// Enciphers `buffer` in place, 8 bytes at a time from its start, and
    /// returns the number of bytes processed. A trailing part shorter than 8
    /// bytes is left untouched (callers pass multiples of 8). An empty key
    /// processes nothing and returns 0.
    static std::size_t encipher(std::span<std::uint8_t> buffer, std::string_view key);

    /// Deciphers `buffer` in place; same contract as encipher.
    static std::size_t decipher(std::span<std::uint8_t> buffer, std::string_view key);
};

} // namespace wendax
