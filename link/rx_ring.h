#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace wendax {

/// The frame's receive ring: 16384 slots, at most 16383 unread bytes.
/// Used from the GUI thread only.
class RxRing {
public:
    static constexpr std::size_t kSlots = 16384;
    static constexpr std::size_t kCapacity = kSlots - 1;

    /// Stores `b` after the newest unread byte. Returns false, storing
    /// nothing, when 16383 bytes are unread: an old byte is never overwritten,
    /// so the caller decides what happens to a byte that does not fit.
    bool push(std::uint8_t b);
    /// The oldest unread byte. Only called when notEmpty().
    std::uint8_t pop();
    bool notEmpty() const { return m_write != m_read; }
    std::size_t unread() const { return (m_write + kSlots - m_read) % kSlots; }
    std::size_t freeSpace() const { return kCapacity - unread(); }
    /// Both indices to 0; the slots keep their bytes, unread bytes are dropped.
    void reset();
    /// All slots zero and both indices 0.
    void clear();

private:
    std::array<std::uint8_t, kSlots> m_slots{};
    std::size_t m_write = 0; ///< slot of the newest byte
    std::size_t m_read = 0;  ///< slot of the byte popped last
};

} // namespace wendax
