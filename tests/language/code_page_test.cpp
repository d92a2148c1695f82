#include "app/language/code_page.h"

#include <gtest/gtest.h>

namespace wendax {
namespace {

TEST(CodePage, EveryByteComesBackAfterDecoding)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = fromCodePage(all);
    ASSERT_EQ(text.size(), 256);
    bool lossless = false;
    EXPECT_EQ(toCodePage(text, &lossless), all);
    EXPECT_TRUE(lossless);
}

TEST(CodePage, MapsTheWindows1252HighHalf)
{
    struct Case { unsigned char byte; char16_t character; };
    const Case cases[] = {
        {0x80, u'\u20AC'}, {0x8A, u'\u0160'}, {0x96, u'\u2013'}, {0x9F, u'\u0178'},
        {0x81, u'\u0081'}, {0xA0, u'\u00A0'}, {0xE4, u'\u00E4'}, {0xFF, u'\u00FF'}, {0x41, u'A'},
    };
    for (const Case& c : cases) {
        const QByteArray byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(fromCodePage(byte), QString(QChar(c.character))) << int{c.byte};
        EXPECT_EQ(toCodePage(QString(QChar(c.character))), byte) << int{c.byte};
    }
}

TEST(CodePage, CharactersItLacksBecomeQuestionMarks)
{
    bool lossless = true;
    // U+0080 is a C1 control the code page has no byte for; U+1F600 is a surrogate pair.
    EXPECT_EQ(toCodePage(QString::fromUtf8("a\u2192b\u0080c\U0001F600d"), &lossless), QByteArray("a?b?c?d"));
    EXPECT_FALSE(lossless);
}

} // namespace
} // namespace wendax
