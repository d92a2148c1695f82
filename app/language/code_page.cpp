#include "code_page.h"

#include <QList>

#include <array>

namespace wendax {
namespace {

// Bytes 80..9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kHighFirst = 0x80;
constexpr char32_t kLatin1Resumes = 0xA0;

int byteFor(char32_t c)
{
    if (c < kHighFirst || (c >= kLatin1Resumes && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == c)
            return static_cast<int>(kHighFirst + i);
    }
    return -1;
}

} // namespace

QString fromCodePage(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char raw : bytes) {
        const auto b = static_cast<unsigned char>(raw);
        const bool high = b >= kHighFirst && b < kLatin1Resumes;
        text.append(QChar(high ? kHighHalf[b - kHighFirst] : char16_t{b}));
    }
    return text;
}

QByteArray toCodePage(QStringView text, bool* lossless)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool exact = true;
    for (const uint c : text.toUcs4()) {
        const int b = byteFor(static_cast<char32_t>(c));
        exact = exact && b >= 0;
        bytes.append(b >= 0 ? static_cast<char>(b) : '?');
    }
    if (lossless)
        *lossless = exact;
    return bytes;
}

} // namespace wendax
