#include "lng_test_support.h"

#include "app/language/code_page.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace wendax {
namespace {

using test::appendLe32;
using test::appendLngString;

TEST(LngFile, RoundTripsThroughItsLayout)
{
    const LngFile sample = test::twoLanguageSample();
    const QByteArray bytes = serializeLng(sample);

    QByteArray expected;
    appendLe32(expected, 2);
    appendLngString(expected, "English");
    appendLngString(expected, "Deutsch");
    appendLe32(expected, 3);
    for (const LngEntry& e : sample.entries) {
        appendLngString(expected, e.key.toLatin1());
        for (const QString& t : e.texts)
            appendLngString(expected, t.toLatin1());
    }
    EXPECT_EQ(bytes, expected);

    const LngReadResult read = parseLng(bytes);
    EXPECT_EQ(read.status, LngStatus::Complete);
    EXPECT_EQ(read.file, sample);
}

// A header: N names, then the entry count.
QByteArray header(std::int64_t languageCount, QList<QByteArray> names, std::int64_t entryCount)
{
    QByteArray out;
    appendLe32(out, languageCount);
    for (const QByteArray& n : names)
        appendLngString(out, n);
    appendLe32(out, entryCount);
    return out;
}

QByteArray entry(QList<QByteArray> strings)
{
    QByteArray out;
    for (const QByteArray& s : strings)
        appendLngString(out, s);
    return out;
}

TEST(LngFile, RefusesAnUnusableHeaderAndCutsBrokenEntries)
{
    QByteArray nameCut;
    appendLe32(nameCut, 1);
    appendLe32(nameCut, 7);
    nameCut.append("Engl");

    struct Case {
        const char* name;
        QByteArray bytes;
        LngStatus status;
        std::size_t entriesKept;
    };
    const Case cases[] = {
        {"empty_file", {}, LngStatus::Refused, 0},
        {"names_no_language", header(0, {}, 1) + entry({"k"}), LngStatus::Refused, 0},
        {"negative_language_count", header(-1, {}, 0), LngStatus::Refused, 0},
        {"language_count_beyond_file", header(0x7FFFFFFF, {"English"}, 0), LngStatus::Refused, 0},
        {"ends_inside_a_name", nameCut, LngStatus::Refused, 0},
        {"name_length_negative", header(1, {}, 0).replace(4, 4, QByteArray("\xFF\xFF\xFF\xFF", 4)), LngStatus::Refused, 0},
        {"no_entry_count", header(1, {"English"}, 0).chopped(4), LngStatus::Refused, 0},
        {"negative_entry_count", header(1, {"English"}, -5), LngStatus::Refused, 0},
        {"entry_count_beyond_file", header(1, {"English"}, 0x7FFFFFFF) + entry({"k", "t"}), LngStatus::Cut, 1},
        {"ends_inside_second_entry", header(2, {"A", "B"}, 2) + entry({"k1", "a", "b"}) + entry({"k2", "a"}), LngStatus::Cut, 1},
        {"text_length_beyond_file", header(1, {"A"}, 1) + entry({"k"}) + QByteArray("\x00\x00\x00\x10", 4), LngStatus::Cut, 0},
        {"text_length_negative", header(1, {"A"}, 2) + entry({"k", "t"}) + entry({"k2"}) + QByteArray("\x00\x00\x00\x80", 4), LngStatus::Cut, 1},
        {"bytes_after_last_entry_ignored", header(1, {"A"}, 1) + entry({"k", "t"}) + "junk", LngStatus::Complete, 1},
    };
    for (const Case& c : cases) {
        const LngReadResult read = parseLng(c.bytes);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(read.file.entries.size(), c.entriesKept) << c.name;
        EXPECT_EQ(read.usable(), !read.file.languages.isEmpty()) << c.name;
        EXPECT_EQ(read.detail.isEmpty(), c.status == LngStatus::Complete) << c.name;
    }
}

TEST(LngFile, CutsAStringAbove255BytesAndStaysInStep)
{
    const QByteArray longText(300, 'x');
    const QByteArray bytes = header(1, {"English"}, 2) + entry({"k1", longText}) + entry({"k2", "after"});
    const LngReadResult read = parseLng(bytes);
    ASSERT_EQ(read.status, LngStatus::Complete);
    EXPECT_EQ(read.stringsCut, 1);
    ASSERT_EQ(read.file.entries.size(), 2U);
    EXPECT_EQ(read.file.entries[0].texts[0], QString(255, u'x'));
    EXPECT_EQ(read.file.entries[1], (LngEntry{"k2", {"after"}}));
}

TEST(LngFile, WriterCutsLongStringsAndCountsWhatTheCodePageLacks)
{
    LngFile file{{"English"}, {{"k", {QString(400, u'y')}}, {"arrow", {QString::fromUtf8("a\u2192b")}}, {"short", {}}}};
    LngWriteResult counts;
    const LngReadResult read = parseLng(serializeLng(file, &counts));
    EXPECT_EQ(counts.stringsCut, 1);
    EXPECT_EQ(counts.stringsLossy, 1);
    ASSERT_EQ(read.status, LngStatus::Complete);
    EXPECT_EQ(read.file.entries[0].texts[0], QString(255, u'y'));
    EXPECT_EQ(read.file.entries[1].texts[0], QStringLiteral("a?b"));
    EXPECT_EQ(read.file.entries[2].texts, QStringList{QString()}) << "a missing text is written empty";
}

TEST(LngFile, ReadsFilesWithinItsLimitOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(readLngFile(dir.filePath("none.lng")).status, LngStatus::Missing);
    EXPECT_EQ(readLngFile(dir.path()).status, LngStatus::Unreadable);

    QByteArray huge = serializeLng(test::twoLanguageSample());
    huge.append(QByteArray(kMaxLngFileBytes, '\0'));
    test::writeBytes(dir.filePath("huge.lng"), huge);
    EXPECT_EQ(readLngFile(dir.filePath("huge.lng")).status, LngStatus::Refused);

    test::writeBytes(dir.filePath("ok.lng"), serializeLng(test::twoLanguageSample()));
    EXPECT_EQ(test::readBack(dir.filePath("ok.lng")), test::twoLanguageSample());
}

// What any parse must leave, whatever the bytes.
void expectWellFormed(const LngReadResult& read, const char* what, std::size_t at)
{
    if (!read.usable()) {
        EXPECT_TRUE(read.file.languages.isEmpty()) << what << at;
        EXPECT_TRUE(read.file.entries.empty()) << what << at;
        return;
    }
    EXPECT_FALSE(read.file.languages.isEmpty()) << what << at;
    for (const QString& name : read.file.languages)
        EXPECT_LE(name.size(), kMaxLngStringBytes) << what << at;
    for (const LngEntry& e : read.file.entries) {
        EXPECT_LE(e.key.size(), kMaxLngStringBytes) << what << at;
        ASSERT_EQ(e.texts.size(), read.file.languages.size()) << what << at;
        for (const QString& t : e.texts)
            EXPECT_LE(t.size(), kMaxLngStringBytes) << what << at;
    }
}

TEST(LngFileFuzz, EveryTruncationReadsAPrefixOfTheEntries)
{
    const LngFile sample = test::twoLanguageSample();
    const QByteArray whole = serializeLng(sample);
    for (qsizetype length = 0; length < whole.size(); ++length) {
        const LngReadResult read = parseLng(QByteArrayView(whole).first(length));
        const auto at = static_cast<std::size_t>(length);
        expectWellFormed(read, "truncated to ", at);
        EXPECT_NE(read.status, LngStatus::Complete) << at;
        if (read.usable()) {
            EXPECT_EQ(read.file.languages, sample.languages) << at;
            ASSERT_LE(read.file.entries.size(), sample.entries.size()) << at;
            for (std::size_t i = 0; i < read.file.entries.size(); ++i)
                EXPECT_EQ(read.file.entries[i], sample.entries[i]) << at;
        }
    }
}

TEST(LngFileFuzz, ByteFlipsAndHugeValuesNeverReadOutside)
{
    const QByteArray whole = serializeLng(test::twoLanguageSample());
    std::mt19937 random(20240611U);
    std::uniform_int_distribution<qsizetype> position(0, whole.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (std::size_t round = 0; round < 5000; ++round) {
        QByteArray bytes = whole;
        for (int flips = 1 + static_cast<int>(round % 4); flips > 0; --flips)
            bytes[position(random)] = static_cast<char>(value(random));
        expectWellFormed(parseLng(bytes), "flip round ", round);
    }
    // Every 4-byte window overwritten with the values that stress counts and lengths.
    for (const std::uint32_t extreme : {0x7FFFFFFFU, 0x80000000U, 0xFFFFFFFFU, 0x00000100U, 0x01000000U}) {
        for (qsizetype at = 0; at + 4 <= whole.size(); ++at) {
            QByteArray bytes = whole;
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<char>(extreme >> (8 * i));
            expectWellFormed(parseLng(bytes), "extreme at ", static_cast<std::size_t>(at));
        }
    }
}

} // namespace
} // namespace wendax
