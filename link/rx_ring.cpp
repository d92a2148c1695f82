#include "rx_ring.h"

namespace wendax {

bool RxRing::push(std::uint8_t b)
{
    const std::size_t next = (m_write + 1) % kSlots;
    if (next == m_read)
        return false;
    m_write = next;
    m_slots[m_write] = b;
    return true;
}

std::uint8_t RxRing::pop()
{
    m_read = (m_read + 1) % kSlots;
    return m_slots[m_read];
}

void RxRing::reset()
{
    m_write = 0;
    m_read = 0;
}

void RxRing::clear()
{
    m_slots.fill(0);
    reset();
}

} // namespace wendax
