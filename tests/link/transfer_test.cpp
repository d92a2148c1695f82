// Read Device, Write Device and the panel clock end to end: the real link and
// serial port over a pseudo-terminal against the simulated devices.
#include "link_rig.h"

#include "core/byte_order.h"
#include "core/config_file.h"
#include "core/image_cipher.h"
#include "core/image_crc.h"
#include "devices/N5/n5_layout.h"
#include "link/messages.h"
#include "link/wire_format.h"

#include <gtest/gtest.h>

namespace wendax::test {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

/// A recognisable plain image with the in-image checksum where the model has one.
std::vector<std::uint8_t> patternImage(Model model)
{
    std::vector<std::uint8_t> image(wireFormat(model).imageSize());
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>((i * 7 + 3) % 251);
    if (model != Model::MT6)
        storeInImageCrc(image);
    return image;
}

sim::SimulatorOptions holding(Model model)
{
    sim::SimulatorOptions options;
    options.image = patternImage(model);
    return options;
}

const Model kConfigModels[] = {Model::N5, Model::N14, Model::N14v2, Model::RX8, Model::MT43, Model::MT6};
const Model kWritableModels[] = {Model::N5, Model::N14, Model::RX8, Model::MT43, Model::MT6};

bool portClosesAfterwards(Rig& rig)
{
    return waitUntil([&] { return !rig.link.portOpen() && !rig.link.busy(); }) && !rig.services.comEnableStored.back();
}

// ---- Read Device ----------------------------------------------------------------

TEST(ReadDevice, AnN5AnswerShowsTheVersionInPanel3ThenConfigurationWasReceived)
{
    DeviceForm source(n5Definition());
    source.form().setText("Edit21", "4321");
    ASSERT_FALSE(source.encodeImage());
    sim::SimulatorOptions options;
    options.image.assign(source.image().begin(), source.image().end());
    Rig rig(Model::N5, options, kSpeedUp, &n5Definition());

    rig.link.readDevice();
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.services.history, (Texts{"panel 3: 1.0", "message: Configuration was received"}));
    EXPECT_EQ(rig.deviceForm->form().at("Edit21").text, "4321");
    EXPECT_NE(rig.link.terminalLog().text().find("Receiving N5 configuration data..."), std::string::npos);
    EXPECT_TRUE(portClosesAfterwards(rig));
    EXPECT_TRUE(rig.recordTime(ClockRecord::Kind::TimerStarted, "port-closing timer", 100ms));
}

TEST(ReadDevice, EveryWireFormatReadsTheDevicesImage)
{
    for (const Model model : kConfigModels) {
        SCOPED_TRACE(modelName(model));
        Rig rig(model, holding(model));
        rig.link.readDevice();
        ASSERT_TRUE(rig.settle());
        EXPECT_EQ(rig.services.messageTexts(), Texts{"Configuration was received"});
        EXPECT_EQ(rig.rawCodec->decodes(), 1);
        const auto expected = patternImage(model);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), rig.codec->image().begin()));
        EXPECT_TRUE(rig.recordTime(ClockRecord::Kind::TimerStarted, "ResponseTimeout",
                                   wireFormat(model).responseTimeout));
        const bool logsReceived = rig.link.terminalLog().text().find("Configuration was received\r\n") != std::string::npos;
        EXPECT_EQ(logsReceived, model == Model::MT43) << "only MT43 logs the arrival of the last byte";
        EXPECT_TRUE(portClosesAfterwards(rig));
    }
}

TEST(ReadDevice, DamagedBlocksAreRejectedAsInvalidDataAndChangeNothing)
{
    struct Case {
        const char* name;
        Model model;
        sim::Damage damage;
        int part;
        bool crcOverEnciphered;
    };
    const Case cases[] = {
        {"n5_bit_flipped_in_block", Model::N5, sim::Damage::Block, 1, false},
        {"n5_bit_flipped_in_c16", Model::N5, sim::Damage::Crc, 1, false},
        {"n14_bit_flipped_in_block", Model::N14, sim::Damage::Block, 1, false},
        {"rx8_part_2_c16_wrong", Model::RX8, sim::Damage::Crc, 2, false},
        {"mt43_part_2_c16_wrong", Model::MT43, sim::Damage::Crc, 2, false},
        {"mt43_part_1_block_damaged", Model::MT43, sim::Damage::Block, 1, false},
        {"mt6_part_3_block_damaged", Model::MT6, sim::Damage::Block, 3, false},
        {"mt6_c16_over_enciphered_part", Model::MT6, sim::Damage::None, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto options = holding(c.model);
        options.damage = c.damage;
        options.damagedPart = c.part;
        options.crcOverEnciphered = c.crcOverEnciphered;
        Rig rig(c.model, options);
        rig.link.readDevice();
        ASSERT_TRUE(rig.settle());
        EXPECT_EQ(rig.services.messageTexts(), Texts{"Invalid Data"});
        EXPECT_EQ(rig.rawCodec->decodes(), 0);
        const auto image = rig.codec->image();
        EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](std::uint8_t b) { return b == 0; }));
        EXPECT_TRUE(portClosesAfterwards(rig));
    }
}

TEST(ReadDevice, ASilentDeviceIsReportedAfterTheModelsResponseTimeout)
{
    for (const Model model : kConfigModels) {
        SCOPED_TRACE(modelName(model));
        sim::SimulatorOptions options;
        options.silent = true;
        Rig rig(model, options, 2 * kSpeedUp);
        rig.link.readDevice();
        ASSERT_TRUE(rig.settle());
        ASSERT_EQ(rig.services.messageTexts(), Texts{"Device Not Responding"});
        EXPECT_EQ(rig.services.messages[0].kind, UserMessage::Kind::ErrorAbort);
        const auto period = wireFormat(model).responseTimeout;
        const auto started = rig.recordTime(ClockRecord::Kind::TimerStarted, "ResponseTimeout", period);
        ASSERT_TRUE(started);
        EXPECT_GE(rig.services.messageTimes[0] - *started, period);
        EXPECT_FALSE(rig.link.portOpen()) << "the timeout closes the port";
        EXPECT_FALSE(rig.services.comEnableStored.back());
    }
}

TEST(ReadDevice, AnN14ShowsTheMacAddressItSends)
{
    auto options = holding(Model::N14);
    options.macAddress = std::array<std::uint8_t, 6>{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    Rig rig(Model::N14, options);
    rig.link.readDevice();
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.macAddresses, Texts{"0A:1B:2C:3D:4E:5F"});
    EXPECT_EQ(rig.services.messageTexts(), Texts{"Configuration was received"});
}

// ---- Write Device ------------------------------------------------------------------

/// Bytes the Progress bar counts in a successful write: every byte sent,
/// and N14's own two steps.
int progressOfWrite(Model model)
{
    switch (model) {
    case Model::N5:
        return 8 + 9 + 4098;
    case Model::N14:
        return 9 + 4104 + 2048 + 4096;
    case Model::RX8:
    case Model::MT43:
        return 8 + 10 + 4098 + 10 + 4098;
    case Model::MT6:
        return 8 + 3 * (10 + 4098);
    default:
        return 0;
    }
}

TEST(WriteDevice, EveryWireFormatStoresTheImageInTheDevice)
{
    for (const Model model : kWritableModels) {
        SCOPED_TRACE(modelName(model));
        Rig rig(model);
        const auto image = patternImage(model);
        std::copy(image.begin(), image.end(), rig.codec->image().begin());
        rig.link.writeDevice();
        ASSERT_TRUE(rig.settle());
        EXPECT_EQ(rig.services.messageTexts(), Texts{"Configuration was sent"});
        EXPECT_EQ(rig.device->writesStored(), 1);
        auto stored = rig.device->image();
        if (model == Model::RX8 || model == Model::MT43) {
            // Plain bytes 4096-4097 carry the C16 of enciphered part 1.
            std::vector<std::uint8_t> part1(image.begin(), image.begin() + 4096);
            ImageCipher::encipher(part1, modelKey(model));
            EXPECT_EQ(readLe16(stored, 4096), ImageCrc16(part1));
            stored[4096] = image[4096];
            stored[4097] = image[4097];
        }
        EXPECT_EQ(stored, image);
        EXPECT_EQ(rig.services.progressMaximum, wireFormat(model).progressMaximum);
        EXPECT_EQ(rig.services.progress, progressOfWrite(model));
        EXPECT_FALSE(rig.services.progressShown);
        const bool worker = model == Model::MT6 || model == Model::N14;
        const std::vector<bool> disabledThenEnabled{false, true};
        EXPECT_EQ(rig.services.commandStates, worker ? disabledThenEnabled : std::vector<bool>{});
        EXPECT_TRUE(portClosesAfterwards(rig));
    }
}

TEST(WriteDevice, AnMt6AcknowledgedOnlyForParts1And2EndsAfter2000msWithDeviceNotResponding)
{
    sim::SimulatorOptions options;
    options.acknowledgedParts = 2;
    Rig rig(Model::MT6, options);
    std::copy_n(patternImage(Model::MT6).begin(), 12288, rig.codec->image().begin());
    rig.link.writeDevice();
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.services.messageTexts(), Texts{"Device Not Responding"});
    // Part 3 goes out right after the last 50 ms wait of the write.
    const auto partThree = rig.recordTime(ClockRecord::Kind::Wait, "", 50ms, true);
    ASSERT_TRUE(partThree);
    EXPECT_GE(rig.services.messageTimes[0] - *partThree, 2000ms);
    EXPECT_EQ(rig.services.commandStates, (std::vector<bool>{false, true}));
    EXPECT_TRUE(portClosesAfterwards(rig));
}

TEST(WriteDevice, AnN14WriteErrorShowsWriteERRORAndThenWriteError)
{
    sim::SimulatorOptions options;
    options.writeAnswer = sim::WriteAnswer::WriteError;
    Rig rig(Model::N14, options);
    std::copy_n(patternImage(Model::N14).begin(), 4096, rig.codec->image().begin());
    rig.link.writeDevice();
    ASSERT_TRUE(rig.settle());
    ASSERT_EQ(rig.services.messageTexts(), (Texts{"Write ERROR", "Write Error"}));
    EXPECT_EQ(rig.services.messages[0].kind, UserMessage::Kind::ErrorAbort);
    EXPECT_NE(rig.link.terminalLog().text().find("Write ERROR...\r\n"), std::string::npos);
    EXPECT_EQ(rig.services.commandStates, (std::vector<bool>{false, true}));
    EXPECT_TRUE(portClosesAfterwards(rig));
}

TEST(WriteDevice, AnRx8WriteErrorEndsTheWriteWithoutATimeoutLater)
{
    sim::SimulatorOptions options;
    options.writeAnswer = sim::WriteAnswer::WriteError;
    Rig rig(Model::RX8, options);
    std::copy_n(patternImage(Model::RX8).begin(), 8192, rig.codec->image().begin());
    rig.link.writeDevice();
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.services.messageTexts(), Texts{"Write ERROR"});
    EXPECT_FALSE(rig.window->responseTimeoutActive());
}

TEST(WriteDevice, AnN5DoesNotKnowWriteErrorSoTheResponseTimeoutEndsTheWrite)
{
    sim::SimulatorOptions options;
    options.writeAnswer = sim::WriteAnswer::WriteError;
    Rig rig(Model::N5, options, 2 * kSpeedUp);
    std::copy_n(patternImage(Model::N5).begin(), 4096, rig.codec->image().begin());
    rig.link.writeDevice();
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.services.messageTexts(), Texts{"Device Not Responding"});
    EXPECT_FALSE(rig.link.portOpen());
}

TEST(WriteDevice, AnN14v2SendsNothingAndEnablesTheTransferCommandsAgain)
{
    Rig rig(Model::N14v2);
    rig.link.writeDevice();
    ASSERT_TRUE(waitUntil([&] { return rig.services.commandStates.size() == 2 && !rig.link.busy(); }));
    EXPECT_EQ(rig.services.commandStates, (std::vector<bool>{false, true}));
    EXPECT_TRUE(rig.services.messages.empty());
    EXPECT_FALSE(rig.services.progressShown);
    EXPECT_EQ(rig.services.progress, 0);
    EXPECT_FALSE(rig.link.portOpen());
}

TEST(WriteDevice, AnImageThatCannotBeEncodedIsNotSent)
{
    for (const Model model : kWritableModels) {
        SCOPED_TRACE(modelName(model));
        Rig rig(model);
        rig.rawCodec->failNextEncode("'' is not a valid integer value");
        rig.link.writeDevice();
        ASSERT_EQ(rig.services.messageTexts(), Texts{"'' is not a valid integer value"});
        EXPECT_TRUE(rig.services.commandStates.empty()) << "the commands are never disabled";
        EXPECT_EQ(rig.services.progress, 0);
        EXPECT_EQ(rig.link.transferThreadCount(), 0);
    }
}

TEST(WriteDevice, ClosingTheWindowDuringAnMt6WriteEndsTheWorker)
{
    sim::SimulatorOptions options;
    options.acknowledgedParts = 0;
    Rig rig(Model::MT6, options);
    rig.link.writeDevice();
    ASSERT_TRUE(waitUntil([&] { return rig.services.progress >= 8 + 10 + 4098; }));
    rig.window.reset();
    EXPECT_EQ(rig.link.transferThreadCount(), 0);
    EXPECT_EQ(rig.services.commandStates, (std::vector<bool>{false, true}));
    EXPECT_FALSE(rig.link.portOpen());
    EXPECT_TRUE(rig.services.messages.empty());
}

// ---- Panel clock ---------------------------------------------------------------------

TEST(PanelClock, ReadPanelTimerShowsTheSystemTimeTheDeviceAnswers)
{
    for (const Model model : {Model::MT43, Model::MT6}) {
        SCOPED_TRACE(modelName(model));
        sim::SimulatorOptions options;
        options.systemTime = std::array<std::uint8_t, 6>{24, 1, 2, 3, 4, 5};
        Rig rig(model, options);
        rig.window->readPanelTimer();
        ASSERT_TRUE(waitUntil([&] { return !rig.panelTimes.empty() && !rig.link.busy(); }));
        EXPECT_EQ(rig.panelTimes, Texts{"24/01/02 03:04:05"});
        EXPECT_TRUE(rig.recordTime(ClockRecord::Kind::TimerStopped, "clock timer", 1000ms))
            << "the answer stops the clock timer";
        EXPECT_FALSE(rig.link.portOpen());
    }
}

TEST(PanelClock, AnUnansweredReadPanelTimerClosesThePortAfter1000ms)
{
    sim::SimulatorOptions options;
    options.silent = true;
    Rig rig(Model::MT6, options);
    rig.window->readPanelTimer();
    ASSERT_TRUE(waitUntil([&] { return !rig.link.portOpen(); }));
    EXPECT_TRUE(rig.recordTime(ClockRecord::Kind::TimerFired, "clock timer", 1000ms));
    EXPECT_TRUE(rig.services.messages.empty());
}

TEST(PanelClock, SetPanelTimerSendsTheLocalDateAndTime)
{
    Rig rig(Model::MT43);
    rig.clock.setLocalTime(LocalTime{2024, 5, 6, 7, 8, 9});
    rig.window->setPanelTimer();
    ASSERT_TRUE(waitUntil([&] { return rig.device->lastSetTime().has_value() && !rig.link.portOpen(); }));
    EXPECT_EQ(*rig.device->lastSetTime(), (std::array<std::uint8_t, 6>{24, 5, 6, 7, 8, 9}));
}

} // namespace
} // namespace wendax::test
