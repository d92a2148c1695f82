#include "wire_format.h"

#include "messages.h"

#include "core/byte_order.h"
#include "core/image_cipher.h"
#include "core/image_crc.h"

#include <algorithm>
#include <array>

namespace wendax {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kLongTimeout{3000};
constexpr milliseconds kShortTimeout{1000};

// Read Device arms the ResponseTimeout of N5 too: without it a silent N5
// device would leave the read waiting for ever, with nothing reported.
const std::array kFormats{
    //          model        parts check              write                progress timeout       arms  receiving line                       received-line clock
    WireFormat{Model::N5,    1, ReadCheck::N5,       WriteKind::N5,       4144,  kLongTimeout,  true,  msg::kReceivingN5ConfigurationData,  false, false},
    WireFormat{Model::N14,   1, ReadCheck::N14,      WriteKind::N14,      4144,  kLongTimeout,  true,  msg::kReceivingConfigurationData,    false, false},
    WireFormat{Model::N14v2, 1, ReadCheck::N14,      WriteKind::Nothing,  4144,  kLongTimeout,  true,  msg::kReceivingN14ConfigurationData, false, false},
    WireFormat{Model::RX8,   2, ReadCheck::TwoParts, WriteKind::TwoParts, 8240,  kShortTimeout, true,  msg::kReceivingConfigurationData,    false, false},
    WireFormat{Model::MT43,  2, ReadCheck::TwoParts, WriteKind::TwoParts, 8240,  kShortTimeout, true,  msg::kReceivingConfigurationData,    true,  true},
    WireFormat{Model::MT6,   3, ReadCheck::Mt6,      WriteKind::Mt6,      12336, kLongTimeout,  true,  msg::kReceivingConfigurationData,    false, true},
    WireFormat{Model::PL3,   0, ReadCheck::None,     WriteKind::None,     0,     kLongTimeout,  false, msg::kReceivingConfigurationData,    false, false},
};

constexpr unsigned bit(Model m)
{
    return 1u << static_cast<unsigned>(m);
}

constexpr unsigned models(std::initializer_list<Model> list)
{
    unsigned mask = 0;
    for (const Model m : list)
        mask |= bit(m);
    return mask;
}

struct WordRule {
    std::string_view word;
    unsigned models;
    WordAction action;
};

constexpr unsigned kAll = models({Model::N5, Model::N14, Model::N14v2, Model::RX8, Model::MT43, Model::MT6, Model::PL3});

constexpr WordRule kWordRules[] = {
    {wire::kVerID,       kAll,                                      WordAction::StartVersionCapture},
    {wire::kCfgDataSend, kAll,                                      WordAction::BeginImage},
    {wire::kCfgOK,       models({Model::N5, Model::RX8, Model::MT43}), WordAction::CfgOkCompletesWrite},
    {wire::kCfgOK,       models({Model::MT6, Model::PL3}),          WordAction::CfgOkSetsFlag},
    {wire::kCfgOK,       models({Model::N14, Model::N14v2}),        WordAction::CfgOkStopsTimeoutSetsFlag},
    {wire::kWriteError,  models({Model::RX8, Model::MT43}),         WordAction::WriteErrorEndsWrite},
    {wire::kWriteError,  models({Model::MT6, Model::PL3}),          WordAction::WriteErrorEndsWriteSetsFlag},
    {wire::kWriteError,  models({Model::N14, Model::N14v2}),        WordAction::WriteErrorSetsFlag},
    {wire::kSystemTime,  models({Model::MT43, Model::MT6}),         WordAction::CaptureSystemTime},
    {wire::kMacSend,     models({Model::N14}),                      WordAction::CaptureMacAddress},
};

std::span<const std::uint8_t> partOnWire(std::span<const std::uint8_t> received, std::size_t index)
{
    return received.subspan(index * wire::kPartOnWire, wire::kPartOnWire);
}

bool crcFollows(std::span<const std::uint8_t> part, std::span<const std::uint8_t> guarded)
{
    return ImageCrc16(guarded) == readLe16(part, wire::kPartSize);
}

/// Deciphers one received part into `plain` at `index`.
void decipherPart(Model model, std::span<const std::uint8_t> part, std::vector<std::uint8_t>& plain, std::size_t index)
{
    const auto out = std::span(plain).subspan(index * wire::kPartSize, wire::kPartSize);
    std::copy_n(part.begin(), wire::kPartSize, out.begin());
    ImageCipher::decipher(out, modelKey(model));
}

bool inImageCrcHolds(std::span<const std::uint8_t> plain)
{
    return ImageCrc32(plain.first(4092)) == readLe32(plain, 4092);
}

} // namespace

const WireFormat& wireFormat(Model model)
{
    return *std::find_if(kFormats.begin(), kFormats.end(), [model](const WireFormat& f) { return f.model == model; });
}

std::optional<WordAction> wordAction(Model model, std::string_view word)
{
    for (const auto& rule : kWordRules) {
        if ((rule.models & bit(model)) != 0 && rule.word == word)
            return rule.action;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> checkReceivedImage(const WireFormat& format,
                                                            std::span<const std::uint8_t> received)
{
    if (format.parts == 0 || received.size() < format.readSize())
        return std::nullopt;
    std::vector<std::uint8_t> plain(format.imageSize());
    const Model model = format.model;
    switch (format.readCheck) {
    case ReadCheck::None:
        return std::nullopt;
    case ReadCheck::N5:
    case ReadCheck::N14: {
        const auto part = partOnWire(received, 0);
        if (!crcFollows(part, part.first(wire::kPartSize)))
            return std::nullopt;
        decipherPart(model, part, plain, 0);
        if (format.readCheck == ReadCheck::N5 && !inImageCrcHolds(plain))
            return std::nullopt;
        return plain;
    }
    case ReadCheck::TwoParts: {
        const auto first = partOnWire(received, 0);
        if (!crcFollows(first, first.first(wire::kPartSize)))
            return std::nullopt;
        decipherPart(model, first, plain, 0);
        if (!inImageCrcHolds(plain))
            return std::nullopt;
        const auto second = partOnWire(received, 1);
        if (!crcFollows(second, second.first(wire::kPartSize)))
            return std::nullopt;
        decipherPart(model, second, plain, 1);
        return plain;
    }
    case ReadCheck::Mt6:
        for (std::size_t k = 0; k < format.parts; ++k) {
            const auto part = partOnWire(received, k);
            decipherPart(model, part, plain, k);
            if (!crcFollows(part, std::span(plain).subspan(k * wire::kPartSize, wire::kPartSize)))
                return std::nullopt;
        }
        return plain;
    }
    return std::nullopt;
}

void appendCrc16(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes)
{
    const std::uint16_t crc = ImageCrc16(bytes);
    out.push_back(static_cast<std::uint8_t>(crc));
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
}

std::vector<std::uint8_t> encipheredPartWithCrc(Model model, std::span<const std::uint8_t> part)
{
    std::vector<std::uint8_t> out(part.begin(), part.begin() + wire::kPartSize);
    ImageCipher::encipher(out, modelKey(model));
    const std::vector<std::uint8_t> enciphered = out;
    appendCrc16(out, enciphered);
    return out;
}

std::vector<std::uint8_t> n14WriteBlock(std::span<const std::uint8_t> image)
{
    std::vector<std::uint8_t> block(image.begin(), image.begin() + wire::kPartSize);
    block.push_back(0x02);
    const std::vector<std::uint8_t> guarded = block;
    appendCrc16(block, guarded);
    block.resize(wire::kN14BlockSize, 0);
    ImageCipher::encipher(block, modelKey(Model::N14));
    return block;
}

} // namespace wendax
