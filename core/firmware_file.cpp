#include "firmware_file.h"

#include "byte_order.h"

namespace wendax {

std::optional<FirmwareFile> FirmwareFile::parse(std::vector<std::uint8_t> bytes, LengthOrder order, std::string& error)
{
    if (bytes.empty()) {
        error = "The firmware file is empty.";
        return std::nullopt;
    }
    if (bytes.size() > kMaxSize) {
        error = "The firmware file is " + std::to_string(bytes.size()) + " bytes long; a firmware file is at most " +
                std::to_string(kMaxSize) + " bytes.";
        return std::nullopt;
    }
    FirmwareFile file;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::string where = "Record " + std::to_string(file.records.size() + 1) + " at byte " + std::to_string(at);
        if (bytes.size() - at < 2) {
            error = where + " has no room for its length.";
            return std::nullopt;
        }
        const std::uint16_t length = order == LengthOrder::BigEndian ? readBe16(bytes, at) : readLe16(bytes, at);
        if (length == 0) {
            error = where + " has length 0.";
            return std::nullopt;
        }
        if (bytes.size() - at - 2 < length) {
            error = where + " needs " + std::to_string(length) + " bytes, but the file ends after " +
                    std::to_string(bytes.size() - at - 2) + ".";
            return std::nullopt;
        }
        file.records.push_back({at, length});
        at += 2U + length;
    }
    file.bytes = std::move(bytes);
    return file;
}

std::span<const std::uint8_t> FirmwareFile::payload(const FirmwareRecord& record) const
{
    return std::span(bytes).subspan(record.payloadOffset(), record.length);
}

} // namespace wendax
