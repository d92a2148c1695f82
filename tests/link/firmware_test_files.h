#pragma once
// Firmware files and a quick simulated bootloader, shared by the link's and
// the desktop program's firmware tests.
#include "core/firmware_file.h"
#include "tools/simulator/simulator.h"

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace wendax::testing {

using Bytes = std::vector<std::uint8_t>;

/// A record as a model's file stores it: its length in `order`, then
/// `length` bytes of a pattern.
inline Bytes record(std::size_t length, LengthOrder order = LengthOrder::BigEndian, std::uint8_t seed = 1)
{
    const auto high = static_cast<std::uint8_t>(length >> 8);
    const auto low = static_cast<std::uint8_t>(length & 0xFF);
    Bytes bytes{order == LengthOrder::BigEndian ? high : low, order == LengthOrder::BigEndian ? low : high};
    for (std::size_t i = 0; i < length; ++i)
        bytes.push_back(static_cast<std::uint8_t>(seed + i * 3));
    return bytes;
}

inline Bytes joined(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

/// A simulated bootloader that announces itself soon and answers record
/// `answerRecord` with `answer`.
inline sim::BootloaderOptions quickBootloader(sim::BootAnswer answer = sim::BootAnswer::Ack, int answerRecord = 0)
{
    sim::BootloaderOptions boot;
    boot.announceDelay = std::chrono::milliseconds(20);
    boot.announceRepeat = std::chrono::milliseconds(200);
    boot.answerAt = answer;
    boot.answerRecord = answerRecord;
    return boot;
}

} // namespace wendax::testing
