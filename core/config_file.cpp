#include "config_file.h"

#include "byte_order.h"
#include "image_cipher.h"
#include "image_crc.h"

#include <algorithm>

namespace wendax {
namespace {

//                                 model        image  trailing files  open check           default file            read   default check        default shown  open shown
constexpr ConfigEnvelope kEnvelopes[] = {
    {Model::N5,    4096,  false, true,  ImageCheck::InImage,  "N5_Default.vcfg",    4096,  ImageCheck::InImage,  false, false},
    {Model::N14,   4096,  true,  true,  ImageCheck::InImage,  "N14_Default.vcfg",   4100,  ImageCheck::Trailing, true,  false},
    {Model::N14v2, 4096,  true,  false, ImageCheck::InImage,  "N14_Default.vcfg",   4100,  ImageCheck::Trailing, true,  false},
    {Model::RX8,   8192,  false, true,  ImageCheck::InImage,  "RX8_Default.vcfg",   8192,  ImageCheck::InImage,  false, false},
    {Model::MT43,  8192,  false, true,  ImageCheck::InImage,  "MT4v3_Default.vcfg", 8192,  ImageCheck::InImage,  false, false},
    {Model::MT6,   12288, true,  true,  ImageCheck::Trailing, "MT6_Default.vcfg",   12292, ImageCheck::Trailing, true,  true},
};

} // namespace

const ConfigEnvelope* envelopeFor(Model model)
{
    const auto found = std::find_if(std::begin(kEnvelopes), std::end(kEnvelopes),
                                    [model](const ConfigEnvelope& e) { return e.model == model; });
    return found == std::end(kEnvelopes) ? nullptr : &*found;
}

std::size_t saveLengthFor(Model model)
{
    return model == Model::MT6 ? 12292 : 8192;
}

std::vector<std::uint8_t> sealImage(const ConfigEnvelope& envelope, std::span<const std::uint8_t> plainImage)
{
    std::vector<std::uint8_t> sealed(plainImage.begin(), plainImage.begin() + static_cast<std::ptrdiff_t>(envelope.imageSize));
    if (envelope.trailingCrcOnSave) {
        sealed.resize(envelope.imageSize + 4);
        writeLe32(sealed, envelope.imageSize, ImageCrc32(plainImage.first(envelope.imageSize)));
    }
    ImageCipher::encipher(std::span(sealed).first(envelope.imageSize), modelKey(envelope.model));
    return sealed;
}

bool imagePassesCheck(std::span<const std::uint8_t> plainImage, ImageCheck check, std::span<const std::uint8_t> trailing)
{
    if (check == ImageCheck::InImage) {
        if (plainImage.size() < kInImageCrcOffset + 4)
            return false;
        return ImageCrc32(plainImage.first(kInImageCrcOffset)) == readLe32(plainImage, kInImageCrcOffset);
    }
    return trailing.size() >= 4 && ImageCrc32(plainImage) == readLe32(trailing, 0);
}

std::optional<std::vector<std::uint8_t>> unsealImage(const ConfigEnvelope& envelope, ImageCheck check,
                                                     std::span<const std::uint8_t> sealed)
{
    const std::size_t needed = envelope.imageSize + (check == ImageCheck::Trailing ? 4 : 0);
    if (sealed.size() < needed)
        return std::nullopt;
    std::vector<std::uint8_t> plain(sealed.begin(), sealed.begin() + static_cast<std::ptrdiff_t>(envelope.imageSize));
    ImageCipher::decipher(plain, modelKey(envelope.model));
    if (!imagePassesCheck(plain, check, sealed.subspan(envelope.imageSize)))
        return std::nullopt;
    return plain;
}

void storeInImageCrc(std::span<std::uint8_t> plainImage)
{
    writeLe32(plainImage, kInImageCrcOffset, ImageCrc32(plainImage.first(kInImageCrcOffset)));
}

bool ConfigFileBuffer::load(std::span<const std::uint8_t> fileBytes)
{
    if (fileBytes.size() > kSize)
        return false;
    std::copy(fileBytes.begin(), fileBytes.end(), m_bytes.begin());
    m_lastReadLength = fileBytes.size();
    return true;
}

void ConfigFileBuffer::put(std::span<const std::uint8_t> sealed)
{
    std::copy_n(sealed.begin(), std::min(sealed.size(), kSize), m_bytes.begin());
}

std::span<const std::uint8_t> ConfigFileBuffer::head(std::size_t count) const
{
    return std::span(m_bytes).first(std::min(count, kSize));
}

} // namespace wendax
