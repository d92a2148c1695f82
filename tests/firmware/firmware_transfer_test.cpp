#include "link/firmware/firmware_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wendax {
namespace {

using Bytes = std::vector<std::uint8_t>;

/// Records everything the transfer does, in order, as the frame would see it.
struct RecordingIo final : FirmwareIo {
    Bytes line;                 // serial bytes in the order they left
    std::vector<Bytes> hid;     // one entry per HID write
    std::vector<std::string> logLines;
    std::vector<std::string> errors;
    std::vector<std::string> information;
    std::size_t progress = 0;
    int ended = 0;
    std::uint64_t now = 1000;

    void sendByte(std::uint8_t byte) override { line.push_back(byte); }
    void sendBlock(std::span<const std::uint8_t> bytes) override { line.insert(line.end(), bytes.begin(), bytes.end()); }
    void hidWrite(std::span<const std::uint8_t> bytes) override { hid.emplace_back(bytes.begin(), bytes.end()); }
    void log(std::string_view text) override { logLines.emplace_back(text); }
    void showError(std::string_view text) override { errors.emplace_back(text); }
    void showInformation(std::string_view text) override { information.emplace_back(text); }
    void setProgress(std::size_t position) override { progress = position; }
    void transferEnded() override { ++ended; }
    std::uint64_t nowMs() override { return now; }

    bool logged(std::string_view text) const
    {
        return std::find(logLines.begin(), logLines.end(), text) != logLines.end();
    }
};

FirmwareFile fileOf(Bytes bytes, Model model)
{
    std::string error;
    auto file = FirmwareFile::parse(std::move(bytes), bootloaderProfile(model).fileLengthOrder, error);
    EXPECT_TRUE(file.has_value()) << error;
    return *file;
}

Bytes fiveByteRecord(bool littleEndian = false)
{
    return littleEndian ? Bytes{0x05, 0x00, 1, 2, 3, 4, 5} : Bytes{0x00, 0x05, 1, 2, 3, 4, 5};
}

class SerialTransfer : public ::testing::Test {
protected:
    RecordingIo io;
};

TEST_F(SerialTransfer, OneRecordFromIdentificationToTheEnd)
{
    FirmwareTransfer transfer(bootloaderProfile(Model::N5), io);
    transfer.arm(fileOf(fiveByteRecord(), Model::N5));
    EXPECT_EQ(transfer.progressMaximum(), 17U);
    EXPECT_TRUE(io.logged("Firmware file has been loaded"));
    EXPECT_TRUE(io.logged("Please connect and reset your hardware"));

    transfer.step();
    EXPECT_TRUE(io.line.empty()) << "nothing before BOOT";
    ASSERT_TRUE(transfer.onWord("N5_070125"));
    EXPECT_EQ(io.line, Bytes{'A'});
    EXPECT_TRUE(io.logged("Hardware N5 is connected"));
    EXPECT_TRUE(io.logged("Bootloader SW:N5_070125"));

    ASSERT_TRUE(transfer.onWord("BOOT"));
    transfer.step();
    EXPECT_EQ(io.line, (Bytes{'A', 0x00, 0x05, 1, 2, 3, 4, 5}));
    EXPECT_EQ(io.progress, 5U);
    transfer.step();
    EXPECT_EQ(io.line.size(), 8U) << "waits for ACK";
    EXPECT_EQ(io.ended, 0);

    ASSERT_TRUE(transfer.onWord("ACK"));
    transfer.step();
    EXPECT_EQ(io.line.size(), 8U) << "nothing after the last record";
    EXPECT_TRUE(io.logged("Firmware file is closing"));
    EXPECT_EQ(io.ended, 1);
    EXPECT_FALSE(transfer.armed());
    EXPECT_EQ(transfer.outcome(), FirmwareTransfer::Outcome::Completed);
}

TEST_F(SerialTransfer, LengthsTravelHighByteFirstWhateverTheFileOrder)
{
    struct Case { Model model; Bytes file; Bytes line; };
    Bytes long400{0x01, 0x90};
    long400.resize(402, 0x5A);
    Bytes line400 = long400;
    const Case cases[] = {
        {Model::PL3, fiveByteRecord(true), {0x00, 0x05, 1, 2, 3, 4, 5}},
        {Model::MT6, fiveByteRecord(), {0x00, 0x05, 1, 2, 3, 4, 5}},
        {Model::RX8, long400, line400},
    };
    for (const auto& c : cases) {
        RecordingIo caseIo;
        FirmwareTransfer transfer(bootloaderProfile(c.model), caseIo);
        transfer.arm(fileOf(c.file, c.model));
        transfer.onWord("BOOT");
        transfer.step();
        EXPECT_EQ(caseIo.line, c.line) << modelName(c.model);
    }
}

TEST_F(SerialTransfer, MultiRecordFileArrivesByteForByte)
{
    Bytes file;
    for (std::uint8_t r = 1; r <= 5; ++r) {
        const std::size_t length = 100U * r + 7;
        file.push_back(static_cast<std::uint8_t>(length >> 8));
        file.push_back(static_cast<std::uint8_t>(length));
        for (std::size_t i = 0; i < length; ++i)
            file.push_back(static_cast<std::uint8_t>(i * r));
    }
    FirmwareTransfer transfer(bootloaderProfile(Model::N14), io);
    transfer.arm(fileOf(file, Model::N14));
    transfer.onWord("N14_101220");
    EXPECT_TRUE(io.logged("Bootloader SW:N9_110301"));
    transfer.onWord("BOOT");
    for (int turn = 0; turn < 5; ++turn) {
        transfer.step();
        transfer.step();
        transfer.onWord("ACK");
    }
    transfer.step();
    EXPECT_EQ(Bytes(io.line.begin() + 1, io.line.end()), file);
    EXPECT_EQ(transfer.outcome(), FirmwareTransfer::Outcome::Completed);
}

TEST_F(SerialTransfer, IdentificationWithNothingArmedOnlyLogs)
{
    FirmwareTransfer transfer(bootloaderProfile(Model::MT43), io);
    EXPECT_TRUE(transfer.onWord("MT4_071122"));
    EXPECT_TRUE(io.line.empty());
    EXPECT_TRUE(io.logged("Hardware MT4 is connected"));
    EXPECT_FALSE(transfer.onWord("N5_070125")) << "another model's word";
    EXPECT_FALSE(transfer.onWord("RESET")) << "RESET means nothing to an MT43";
}

TEST_F(SerialTransfer, RefusedRecordsEndWithUpdateFailure)
{
    struct Case { const char* word; const char* logLine; };
    for (const auto& c : {Case{"CRCERROR", "Update file is damaged, CRC ERROR..."},
                          Case{"UNKNOWNCOMMAND", "Update file is damaged, Unknown Command..."}}) {
        RecordingIo caseIo;
        FirmwareTransfer transfer(bootloaderProfile(Model::N5), caseIo);
        Bytes twoRecords = fiveByteRecord();
        twoRecords.insert(twoRecords.end(), {0x00, 0x01, 9});
        transfer.arm(fileOf(twoRecords, Model::N5));
        transfer.onWord("BOOT");
        transfer.step();
        ASSERT_TRUE(transfer.onWord(c.word));
        EXPECT_TRUE(caseIo.logged(c.logLine)) << c.word;
        EXPECT_TRUE(caseIo.logged("Update failure")) << c.word;
        EXPECT_EQ(caseIo.errors, std::vector<std::string>{"Update failure"}) << c.word;
        EXPECT_EQ(caseIo.ended, 1) << c.word;
        EXPECT_EQ(transfer.outcome(), FirmwareTransfer::Outcome::Failed) << c.word;
        const auto sent = caseIo.line.size();
        transfer.onWord("ACK");
        transfer.step();
        EXPECT_EQ(caseIo.line.size(), sent) << "nothing is sent after a refusal";
    }
}

TEST_F(SerialTransfer, Pl3ResetEndsSilently)
{
    FirmwareTransfer transfer(bootloaderProfile(Model::PL3), io);
    transfer.arm(fileOf(fiveByteRecord(true), Model::PL3));
    transfer.onWord("BOOT");
    transfer.step();
    ASSERT_TRUE(transfer.onWord("RESET"));
    EXPECT_TRUE(io.errors.empty());
    EXPECT_TRUE(io.information.empty());
    EXPECT_EQ(transfer.outcome(), FirmwareTransfer::Outcome::Completed);
}

TEST_F(SerialTransfer, ArmingAgainStopsTheFirstTransfer)
{
    FirmwareTransfer transfer(bootloaderProfile(Model::N5), io);
    transfer.arm(fileOf(fiveByteRecord(), Model::N5));
    transfer.arm(fileOf(fiveByteRecord(), Model::N5));
    EXPECT_EQ(io.ended, 1);
    EXPECT_TRUE(transfer.armed());
    transfer.stop();
    EXPECT_EQ(transfer.outcome(), FirmwareTransfer::Outcome::Stopped);
}

class HidTransfer : public ::testing::Test {
protected:
    RecordingIo io;
    FirmwareTransfer transfer{bootloaderProfile(Model::N14v2), io};

    void armTwoRecords()
    {
        transfer.arm(fileOf({0x03, 0x00, 1, 2, 3, 0x02, 0x00, 4, 5}, Model::N14v2));
    }
};

TEST_F(HidTransfer, ConnectsAndSendsEachRecordAsTwoWrites)
{
    armTwoRecords();
    EXPECT_TRUE(io.logged("Firmware file have been loaded"));
    ASSERT_TRUE(transfer.onWord("N14v2_boot_1v0"));
    transfer.step();
    ASSERT_EQ(io.hid.size(), 1U);
    EXPECT_EQ(io.hid[0], (Bytes{'C', 'O', 'N'}));

    transfer.onWord("BOOT");
    EXPECT_TRUE(io.logged("Hardware is connected"));
    transfer.step();
    ASSERT_EQ(io.hid.size(), 3U);
    EXPECT_EQ(io.hid[1], (Bytes{0x03, 0x00}));
    EXPECT_EQ(io.hid[2], (Bytes{1, 2, 3}));
    transfer.step();
    EXPECT_EQ(io.hid.size(), 3U) << "waits for ACK";

    transfer.onWord("ACK");
    transfer.step();
    ASSERT_EQ(io.hid.size(), 5U);
    EXPECT_EQ(io.hid[4], (Bytes{4, 5}));
    EXPECT_EQ(io.progress, 9U);

    transfer.onWord("RESET");
    EXPECT_TRUE(io.logged("Update successful"));
    EXPECT_EQ(io.information, std::vector<std::string>{"Update successful. Reset module to continue..."});
    EXPECT_EQ(transfer.outcome(), FirmwareTransfer::Outcome::Completed);
    EXPECT_FALSE(io.logged("Firmware file is closing")) << "the HID bootloader logs no closing line";
}

TEST_F(HidTransfer, TwentySecondsWithoutAckTimesOut)
{
    armTwoRecords();
    transfer.onWord("BOOT");
    transfer.step();
    io.now += FirmwareTransfer::kHidAckTimeoutMs;
    transfer.step();
    EXPECT_TRUE(io.information.empty()) << "exactly 20000 ms is still in time";
    io.now += 1;
    transfer.step();
    EXPECT_EQ(io.information, std::vector<std::string>{"Updating Timeout"});
    EXPECT_TRUE(io.errors.empty());
    EXPECT_EQ(transfer.outcome(), FirmwareTransfer::Outcome::Failed);
}

TEST_F(HidTransfer, AnAckPastTheLastRecordEndsCleanly)
{
    transfer.arm(fileOf({0x01, 0x00, 7}, Model::N14v2));
    transfer.onWord("BOOT");
    transfer.step();
    transfer.onWord("ACK");
    transfer.step();
    EXPECT_EQ(io.hid.size(), 2U);
    EXPECT_FALSE(transfer.armed());
    EXPECT_EQ(transfer.outcome(), FirmwareTransfer::Outcome::Completed);
}

} // namespace
} // namespace wendax
