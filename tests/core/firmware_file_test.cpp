#include "core/firmware_file.h"

#include <gtest/gtest.h>

namespace wendax {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FirmwareFile, SplitsRecordsByTheModelsLengthOrder)
{
    Bytes bytes{0x00, 0x05, 1, 2, 3, 4, 5, 0x01, 0x90};
    bytes.resize(bytes.size() + 400, 0xAB);
    std::string error;
    const auto file = FirmwareFile::parse(bytes, LengthOrder::BigEndian, error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->records.size(), 2U);
    EXPECT_EQ(file->records[0].length, 5);
    EXPECT_EQ(file->payload(file->records[0])[4], 5);
    EXPECT_EQ(file->records[1].offset, 7U);
    EXPECT_EQ(file->records[1].length, 400);

    const auto pl3 = FirmwareFile::parse({0x05, 0x00, 1, 2, 3, 4, 5}, LengthOrder::LittleEndian, error);
    ASSERT_TRUE(pl3) << error;
    EXPECT_EQ(pl3->records[0].length, 5);
}

TEST(FirmwareFile, RefusesFilesWhoseRecordsDoNotAddUp)
{
    struct Case { const char* name; Bytes bytes; const char* says; };
    const Case cases[] = {
        {"empty", {}, "empty"},
        {"zero_length_record", {0x00, 0x01, 7, 0x00, 0x00}, "Record 2 at byte 3 has length 0"},
        {"record_past_the_end", {0x00, 0x05, 1, 2, 3}, "needs 5 bytes, but the file ends after 3"},
        {"dangling_length_byte", {0x00, 0x01, 7, 0x00}, "no room for its length"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(FirmwareFile::parse(c.bytes, LengthOrder::BigEndian, error)) << c.name;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
    }
    std::string error;
    EXPECT_FALSE(FirmwareFile::parse(Bytes(FirmwareFile::kMaxSize + 1, 1), LengthOrder::BigEndian, error));
    EXPECT_NE(error.find("at most"), std::string::npos);
}

} // namespace
} // namespace wendax
