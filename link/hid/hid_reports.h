#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

/// Report layouts of the USB HID bootloader (N14v2).
namespace wendax::hid {

inline constexpr unsigned short kVendorId = 4660;
inline constexpr unsigned short kProductId = 8738;

/// Input reports: identifier, signed payload length, up to 63 payload bytes.
inline constexpr std::size_t kInputReportSize = 65;
inline constexpr std::size_t kInputPayloadSize = 63;

/// Splits `bytes` into output reports of `reportLength` bytes: identifier 0,
/// the count of payload bytes, the payload, zero filling. Nothing for an
/// empty block or a report length with no room for payload.
std::vector<std::vector<std::uint8_t>> splitIntoOutputReports(std::span<const std::uint8_t> bytes,
                                                              std::size_t reportLength);

/// The length byte of an input report, read as the device means it: a
/// signed 8-bit value (the frame refuses negatives and values over 63).
inline int inputReportLength(std::span<const std::uint8_t> report)
{
    return report.size() < 2 ? 0 : static_cast<int>(static_cast<std::int8_t>(report[1]));
}

} // namespace wendax::hid
