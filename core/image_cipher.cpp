#include "image_cipher.h"

#include "blowfish_tables.h"
#include "byte_order.h"

#include <array>

namespace wendax {
namespace {

class Blowfish {
public:
    explicit Blowfish(std::string_view key)
    {
        m_p = detail::kBlowfishP;
        m_s = {detail::kBlowfishS0, detail::kBlowfishS1, detail::kBlowfishS2, detail::kBlowfishS3};
        std::size_t k = 0;
        for (auto& p : m_p) {
            std::uint32_t word = 0;
            for (int i = 0; i < 4; ++i) {
                word = (word << 8) | static_cast<std::uint8_t>(key[k]);
                k = (k + 1) % key.size();
            }
            p ^= word;
        }
        std::uint32_t l = 0;
        std::uint32_t r = 0;
        for (std::size_t i = 0; i < m_p.size(); i += 2) {
            encipherBlock(l, r);
            m_p[i] = l;
            m_p[i + 1] = r;
        }
        for (auto& box : m_s) {
            for (std::size_t i = 0; i < box.size(); i += 2) {
                encipherBlock(l, r);
                box[i] = l;
                box[i + 1] = r;
            }
        }
    }

    void encipherBlock(std::uint32_t& l, std::uint32_t& r) const
    {
        for (std::size_t i = 0; i < 16; ++i) {
            l ^= m_p[i];
            r ^= f(l);
            std::swap(l, r);
        }
        std::swap(l, r);
        r ^= m_p[16];
        l ^= m_p[17];
    }

    void decipherBlock(std::uint32_t& l, std::uint32_t& r) const
    {
        for (std::size_t i = 17; i >= 2; --i) {
            l ^= m_p[i];
            r ^= f(l);
            std::swap(l, r);
        }
        std::swap(l, r);
        r ^= m_p[1];
        l ^= m_p[0];
    }

private:
    std::uint32_t f(std::uint32_t x) const
    {
        return ((m_s[0][x >> 24] + m_s[1][(x >> 16) & 0xFF]) ^ m_s[2][(x >> 8) & 0xFF])
            + m_s[3][x & 0xFF];
    }

    std::array<std::uint32_t, 18> m_p{};
    std::array<std::array<std::uint32_t, 256>, 4> m_s{};
};

template <typename BlockOp>
std::size_t forEachBlock(std::span<std::uint8_t> buffer, BlockOp op)
{
    const std::size_t processed = buffer.size() - buffer.size() % 8;
    for (std::size_t at = 0; at < processed; at += 8) {
        std::uint32_t l = readLe32(buffer, at);
        std::uint32_t r = readLe32(buffer, at + 4);
        op(l, r);
        writeLe32(buffer, at, l);
        writeLe32(buffer, at + 4, r);
    }
    return processed;
}

} // namespace

std::size_t ImageCipher::encipher(std::span<std::uint8_t> buffer, std::string_view key)
{
    if (key.empty())
        return 0;
    const Blowfish cipher(key);
    return forEachBlock(buffer, [&](std::uint32_t& l, std::uint32_t& r) { cipher.encipherBlock(l, r); });
}

std::size_t ImageCipher::decipher(std::span<std::uint8_t> buffer, std::string_view key)
{
    if (key.empty())
        return 0;
    const Blowfish cipher(key);
    return forEachBlock(buffer, [&](std::uint32_t& l, std::uint32_t& r) { cipher.decipherBlock(l, r); });
}

} // namespace wendax
