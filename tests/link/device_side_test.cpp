// The simulated device refuses what a real device refuses, so host faults
// cannot pass the end-to-end tests unnoticed.
#include "core/config_file.h"
#include "link/wire_format.h"
#include "tools/simulator/device_side.h"

#include <gtest/gtest.h>

#include <string>

namespace wendax::test {
namespace {

std::string feedText(sim::DeviceSide& device, std::vector<std::uint8_t> bytes)
{
    const auto answer = device.feed(bytes);
    return {answer.begin(), answer.end()};
}

std::vector<std::uint8_t> command(std::string_view text, std::vector<std::uint8_t> block = {})
{
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

sim::SimulatorOptions deviceOf(Model model)
{
    sim::SimulatorOptions options;
    options.model = model;
    return options;
}

std::vector<std::uint8_t> validImage(Model model)
{
    std::vector<std::uint8_t> image(wireFormat(model).imageSize(), 0x33);
    storeInImageCrc(image);
    return image;
}

TEST(SimulatedDevice, AnswersWriteErrorToBlocksThatDoNotCheckOut)
{
    const auto n5 = validImage(Model::N5);
    auto damaged = encipheredPartWithCrc(Model::N5, n5);
    damaged[10] ^= 0x01;
    sim::DeviceSide device(deviceOf(Model::N5));
    EXPECT_EQ(feedText(device, command("\n\rCFGDATA", encipheredPartWithCrc(Model::N5, n5))), "\r\nCfgOK\r\n");
    EXPECT_EQ(feedText(device, command("\n\rCFGDATA", damaged)), "\r\nWRITEERROR\r\n");

    // RX8: part 2 must carry the C16 of enciphered part 1 in its first two plain bytes.
    const auto rx8 = validImage(Model::RX8);
    const auto first = encipheredPartWithCrc(Model::RX8, std::span(rx8).first(4096));
    std::vector<std::uint8_t> second(rx8.begin() + 4096, rx8.end());
    sim::DeviceSide rx8Device(deviceOf(Model::RX8));
    EXPECT_EQ(feedText(rx8Device, command("\n\rCFGDATA1", first)), "") << "one answer, after part 2";
    EXPECT_EQ(feedText(rx8Device, command("\n\rCFGDATA2", encipheredPartWithCrc(Model::RX8, second))),
              "\r\nWRITEERROR\r\n");
    std::copy_n(first.end() - 2, 2, second.begin());
    EXPECT_EQ(feedText(rx8Device, command("\n\rCFGDATA1", first)), "");
    EXPECT_EQ(feedText(rx8Device, command("\n\rCFGDATA2", encipheredPartWithCrc(Model::RX8, second))),
              "\r\nCfgOK\r\n");
    EXPECT_EQ(rx8Device.writesStored(), 1);
}

TEST(SimulatedDevice, AnMt6AnswersEachPartUpToTheAcknowledgedCount)
{
    auto options = deviceOf(Model::MT6);
    options.acknowledgedParts = 2;
    sim::DeviceSide device(options);
    const std::vector<std::uint8_t> part(4096, 0x5A);
    std::string answers;
    for (std::uint8_t k = 2; k <= 4; ++k)
        answers += feedText(device, command(std::string("\n\rCFGDATA") + static_cast<char>(k),
                                            encipheredPartWithCrc(Model::MT6, part)));
    EXPECT_EQ(answers, "\r\nCfgOK\r\n\r\nCfgOK\r\n");
}

} // namespace
} // namespace wendax::test
