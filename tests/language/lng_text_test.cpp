#include "lng_test_support.h"

#include "app/language/code_page.h"
#include "app/language/lng_text.h"

#include <gtest/gtest.h>

namespace wendax {
namespace {

TEST(LngText, RoundTripsEveryByteOfEveryString)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    LngFile file{{"English", fromCodePage("Fran\xE7" "ais")}, {}};
    // The 256 bytes spread over strings of at most 255 bytes, keys included.
    file.entries.push_back({fromCodePage(all.first(128)), {fromCodePage(all.sliced(128)), QString()}});
    file.entries.push_back({"#starts like a comment", {"tab\there", "back\\slash\nnew line"}});
    file.entries.push_back({"@starts like the tag", {fromCodePage("\xE9t\xE9"), QString()}});
    file.entries.push_back({QString(), {QString(), QString()}});

    const QString text = lngToText(file);
    const LngTextResult parsed = parseLngText(text);
    ASSERT_TRUE(parsed.file) << qPrintable(parsed.error);
    EXPECT_EQ(serializeLng(*parsed.file), serializeLng(file));
    EXPECT_EQ(lngToText(*parsed.file), text);
}

TEST(LngText, ReadsTheDocumentedForm)
{
    const LngTextResult parsed = parseLngText(QString::fromUtf8(
        "# shipped texts\r\n"
        "@languages\tEnglish\tDeutsch\r\n"
        "\n"
        "MainForm\tWendax\t\r\n"
        "TLabel(Label2.Caption)\tAccount:\tKonto f\u00FCr \u20AC\\x81\n"));
    ASSERT_TRUE(parsed.file) << qPrintable(parsed.error);
    EXPECT_EQ(parsed.file->languages, (QStringList{"English", "Deutsch"}));
    ASSERT_EQ(parsed.file->entries.size(), 2U);
    EXPECT_EQ(parsed.file->entries[0], (LngEntry{"MainForm", {"Wendax", ""}}));
    EXPECT_EQ(toCodePage(parsed.file->entries[1].texts[1]), QByteArray("Konto f\xFCr \x80\x81"));
}

TEST(LngText, RefusesWhatCouldNotBeWrittenAsGiven)
{
    struct Case { const char* name; const char* text; const char* errorStart; };
    const Case cases[] = {
        {"no_languages_line", "MainForm\tWendax\n", "line 1: an entry before"},
        {"no_lines_at_all", "# only a comment\n", "no @languages line"},
        {"languages_twice", "@languages\tA\n@languages\tB\n", "line 2: expected one line"},
        {"languages_without_names", "@languages\n", "line 1: expected one line"},
        {"too_few_texts", "@languages\tA\tB\nk\ta\n", "line 2: 1 texts for 2 languages"},
        {"too_many_texts", "@languages\tA\nk\ta\tb\n", "line 2: 2 texts for 1 languages"},
        {"bad_escape", "@languages\tA\nk\ta\\q\n", "line 2: a bad escape"},
        {"short_hex_escape", "@languages\tA\nk\ta\\x4\n", "line 2: a bad escape"},
        {"outside_code_page", "@languages\tA\nk\t\xE2\x86\x92\n", "line 2: a character outside"},
    };
    for (const Case& c : cases) {
        const LngTextResult parsed = parseLngText(QString::fromUtf8(c.text));
        EXPECT_FALSE(parsed.file) << c.name;
        EXPECT_TRUE(parsed.error.startsWith(QLatin1StringView(c.errorStart))) << c.name << ": " << qPrintable(parsed.error);
    }
    const LngTextResult tooLong = parseLngText("@languages\tA\nk\t" + QString(256, u'z') + u'\n');
    EXPECT_FALSE(tooLong.file);
    EXPECT_TRUE(parseLngText("@languages\tA\nk\t" + QString(255, u'z') + u'\n').file);
}

} // namespace
} // namespace wendax
