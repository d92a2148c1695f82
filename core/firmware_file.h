#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wendax {

/// How a firmware file stores each record's 2-byte length. On the serial line
/// the length always travels high byte first, whatever the file order.
enum class LengthOrder { BigEndian, LittleEndian };

/// One record of a firmware file: its 2 length bytes at `offset`, then
/// `length` payload bytes.
struct FirmwareRecord {
    std::size_t offset;
    std::uint16_t length;

    std::size_t payloadOffset() const { return offset + 2; }
};

/// A firmware file checked record by record before anything is sent: the
/// host never looks inside a record, but a file whose records do not add up
/// would leave a device half-flashed.
struct FirmwareFile {
    /// Larger than any firmware of the family by far; a file this size is
    /// something else chosen by mistake.
    static constexpr std::size_t kMaxSize = 4 * 1024 * 1024;

    std::vector<std::uint8_t> bytes;
    std::vector<FirmwareRecord> records;

    /// Checks `bytes` as a sequence of records. nullopt with a message in
    /// `error` for an empty or oversized file, a record of length 0, or a
    /// record that runs past the end of the file.
    static std::optional<FirmwareFile> parse(std::vector<std::uint8_t> bytes, LengthOrder order, std::string& error);

    /// The record's payload.
    std::span<const std::uint8_t> payload(const FirmwareRecord& record) const;
};

} // namespace wendax
