#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace wendax {

/// The response-word accumulator the frame and every device window share.
/// A token is a run of the characters '!'..'z'; any other byte separates.
/// A token ends only at a separator or at the length limit, never by time.
/// GUI thread only.
class ResponseToken {
public:
    static constexpr std::size_t kWindowLimit = 19; ///< while a device window takes the byte
    static constexpr std::size_t kFrameLimit = 100; ///< while no device window is open

    static bool isTokenCharacter(std::uint8_t b) { return b >= 0x21 && b <= 0x7A; }

    /// First half of a step: an open token takes `b` (any byte, separators
    /// too) while it is shorter than `limit`, and the whole text is returned
    /// for comparison with the words. nullopt when no token is open: the first
    /// character of a token is never compared on its own.
    std::optional<std::string_view> append(std::uint8_t b, std::size_t limit);

    /// Second half, for a byte that completed no word: a token character
    /// opens a token when none is open; the token closes at `limit`
    /// characters or at a separator.
    void settle(std::uint8_t b, std::size_t limit);

    /// Both halves for a byte that nobody compares (the frame with no window).
    void step(std::uint8_t b, std::size_t limit);

    void close() { m_length = 0; }
    std::size_t length() const { return m_length; }
    std::string_view text() const { return {m_text.data(), m_length}; }

private:
    std::array<char, kFrameLimit> m_text{};
    std::size_t m_length = 0;
};

} // namespace wendax
