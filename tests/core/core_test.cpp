#include "core/byte_order.h"
#include "core/config_file.h"
#include "core/hex_text.h"
#include "core/image_cipher.h"
#include "core/image_crc.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace wendax {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> countingBytes(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), std::uint8_t{7});
    return v;
}

// Standard Blowfish with 4-byte groups reversed: the published all-zero vector
// (key 00..00, plain 00..00 -> 4EF997456198DD78) holds with halves read LE.
TEST(ImageCipher, MatchesPublishedBlowfishWithLittleEndianHalves)
{
    const std::string key(8, '\0');
    std::vector<std::uint8_t> block(8, 0);
    ImageCipher::encipher(block, key);
    EXPECT_EQ(block, (std::vector<std::uint8_t>{0x45, 0x97, 0xF9, 0x4E, 0x78, 0xDD, 0x98, 0x61}));

    // Key FFFFFFFFFFFFFFFF, plain FFFFFFFFFFFFFFFF -> 51866FD5B85ECB8A.
    const std::string ones(8, '\xFF');
    std::vector<std::uint8_t> block2(8, 0xFF);
    ImageCipher::encipher(block2, ones);
    EXPECT_EQ(block2, (std::vector<std::uint8_t>{0xD5, 0x6F, 0x86, 0x51, 0x8A, 0xCB, 0x5E, 0xB8}));
}

TEST(ImageCipher, RoundTripsWithItsKeyOnly)
{
    for (const std::size_t size : {8U, 4096U, 4104U, 8192U, 12288U}) {
        const auto plain = countingBytes(size);
        auto buffer = plain;
        EXPECT_EQ(ImageCipher::encipher(buffer, "qTz#k9w2v7"), size);
        EXPECT_NE(buffer, plain);
        auto wrongKey = buffer;
        ImageCipher::decipher(wrongKey, "Zj4wq7n3ct");
        EXPECT_NE(wrongKey, plain);
        ImageCipher::decipher(buffer, "qTz#k9w2v7");
        EXPECT_EQ(buffer, plain) << size;
    }
}

TEST(ImageCipher, BlocksAreIndependent)
{
    const auto plain = countingBytes(8192);
    auto whole = plain;
    ImageCipher::encipher(whole, "fHx2p5oqze");
    auto halves = plain;
    ImageCipher::encipher(std::span(halves).first(4096), "fHx2p5oqze");
    ImageCipher::encipher(std::span(halves).subspan(4096), "fHx2p5oqze");
    EXPECT_EQ(whole, halves);

    auto changed = plain;
    changed[1000] ^= 0x01;
    ImageCipher::encipher(changed, "fHx2p5oqze");
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i / 8 != 1000 / 8) {
            ASSERT_EQ(whole[i], changed[i]) << i;
        }
    }
    EXPECT_FALSE(std::equal(whole.begin() + 1000 / 8 * 8, whole.begin() + 1000 / 8 * 8 + 8, changed.begin() + 1000 / 8 * 8));
}

TEST(ImageCipher, LeavesATrailingPartialBlockAndEmptyKeyAlone)
{
    auto buffer = countingBytes(13);
    const auto before = buffer;
    EXPECT_EQ(ImageCipher::encipher(buffer, "Hp7_rk&x2s"), 8U);
    EXPECT_TRUE(std::equal(buffer.begin() + 8, buffer.end(), before.begin() + 8));
    EXPECT_EQ(ImageCipher::encipher(buffer, ""), 0U);
}

struct CrcCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::uint16_t crc16;
    std::uint32_t crc32;
};

TEST(ImageCrc, CheckValues)
{
    const CrcCase cases[] = {
        {"digits_1_to_9", bytesOf("123456789"), 0x2189, 0xC40ED0B0},
        {"zero_bytes_4096", std::vector<std::uint8_t>(4096, 0), 0x0000, 0},
        {"single_5F_uses_the_odd_entry", {0x5F}, 0x0072, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ImageCrc16(c.bytes), c.crc16) << c.name;
        if (c.crc32 != 0) {
            EXPECT_EQ(ImageCrc32(c.bytes), c.crc32) << c.name;
        }
    }
    EXPECT_EQ(ImageCrc32(bytesOf("abc")), 0x01DB4402U);
    EXPECT_EQ(ImageCrc32({}), 0U);
    EXPECT_EQ(ImageCrc32(std::vector<std::uint8_t>(4092, 0)), 0x69F66267U);
}

TEST(HexText, DigitsAreUpperCaseOnly)
{
    EXPECT_EQ(HexNibble('0'), 0);
    EXPECT_EQ(HexNibble('F'), 15);
    EXPECT_EQ(HexNibble('f'), -1);
    EXPECT_EQ(HexNibble('G'), -1);
    EXPECT_EQ(HexChar(10), 'A');

    std::uint8_t out[2] = {};
    HexToBytes(out, "0A1f");
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0xFF);
    HexToBytes(out, "x5");
    EXPECT_EQ(out[0], 0xF5);

    const std::uint8_t in[] = {0x00, 0xAB};
    EXPECT_EQ(BytesToHex(in), "00AB");
}

std::vector<std::uint8_t> imageWithInImageCrc(std::size_t size)
{
    auto image = countingBytes(size);
    storeInImageCrc(image);
    return image;
}

TEST(ConfigEnvelope, SaveLengthsAndSealedSizes)
{
    struct Row { Model model; std::size_t sealed; std::size_t save; };
    const Row rows[] = {
        {Model::N5, 4096, 8192}, {Model::N14, 4100, 8192}, {Model::RX8, 8192, 8192},
        {Model::MT43, 8192, 8192}, {Model::MT6, 12292, 12292},
    };
    for (const auto& row : rows) {
        const auto* envelope = envelopeFor(row.model);
        ASSERT_NE(envelope, nullptr);
        EXPECT_EQ(envelope->sealedSize(), row.sealed) << modelName(row.model);
        EXPECT_EQ(saveLengthFor(row.model), row.save) << modelName(row.model);
    }
    EXPECT_EQ(envelopeFor(Model::PL3), nullptr);
}

TEST(ConfigEnvelope, SealThenUnsealRestoresThePlainImage)
{
    for (const Model model : {Model::N5, Model::N14, Model::RX8, Model::MT43, Model::MT6}) {
        const auto& envelope = *envelopeFor(model);
        const auto plain = imageWithInImageCrc(envelope.imageSize);
        const auto sealed = sealImage(envelope, plain);
        const auto opened = unsealImage(envelope, envelope.openCheck, sealed);
        ASSERT_TRUE(opened.has_value()) << modelName(model);
        EXPECT_EQ(*opened, plain);
    }
}

TEST(ConfigEnvelope, Mt6KeepsItsTrailingChecksumPlain)
{
    const auto& envelope = *envelopeFor(Model::MT6);
    const auto plain = countingBytes(12288);
    const auto sealed = sealImage(envelope, plain);
    ASSERT_EQ(sealed.size(), 12292U);
    EXPECT_EQ(readLe32(sealed, 12288), ImageCrc32(plain));
}

TEST(ConfigEnvelope, UnsealRefusesDamagedForeignAndShortFiles)
{
    const auto& n5 = *envelopeFor(Model::N5);
    const auto sealed = sealImage(n5, imageWithInImageCrc(4096));

    auto flipped = sealed;
    flipped[17] ^= 0x40;
    EXPECT_FALSE(unsealImage(n5, n5.openCheck, flipped).has_value());

    const auto& rx8 = *envelopeFor(Model::RX8);
    const auto rx8File = sealImage(rx8, imageWithInImageCrc(8192));
    EXPECT_FALSE(unsealImage(n5, n5.openCheck, rx8File).has_value());

    EXPECT_FALSE(unsealImage(n5, n5.openCheck, std::span(sealed).first(4095)).has_value());
}

TEST(ConfigEnvelope, N14DefaultFileIsCheckedByItsTrailingValue)
{
    const auto& n14 = *envelopeFor(Model::N14);
    auto plain = countingBytes(4096); // no valid in-image checksum
    const auto sealed = sealImage(n14, plain);
    EXPECT_TRUE(unsealImage(n14, n14.defaultCheck, sealed).has_value());
    EXPECT_FALSE(unsealImage(n14, n14.openCheck, sealed).has_value());
}

TEST(ConfigFileBuffer, KeepsUntouchedBytesAndRefusesOversizedFiles)
{
    ConfigFileBuffer buffer;
    ASSERT_TRUE(buffer.load(std::vector<std::uint8_t>(12292, 0xAA)));
    buffer.put(std::vector<std::uint8_t>(4096, 0x11));
    const auto head = buffer.head(8192);
    EXPECT_EQ(head[4095], 0x11);
    EXPECT_EQ(head[4096], 0xAA); // filler from the earlier, longer file
    EXPECT_EQ(buffer.lastReadLength(), 12292U);

    EXPECT_FALSE(buffer.load(std::vector<std::uint8_t>(ConfigFileBuffer::kSize + 1, 0x55)));
    EXPECT_EQ(buffer.head(1)[0], 0x11);
    EXPECT_EQ(buffer.lastReadLength(), 12292U);
}

} // namespace
} // namespace wendax
