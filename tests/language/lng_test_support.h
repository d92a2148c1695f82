#pragma once
#include "app/language/lng_file.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace wendax {

inline void PrintTo(const LngEntry& entry, std::ostream* os)
{
    *os << '{' << qPrintable(entry.key) << " | " << qPrintable(entry.texts.join(u'|')) << '}';
}

} // namespace wendax

namespace wendax::test {

inline void appendLe32(QByteArray& out, std::int64_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>(u >> (8 * i)));
}

inline void appendLngString(QByteArray& out, QByteArrayView bytes)
{
    appendLe32(out, bytes.size());
    out.append(bytes.data(), bytes.size());
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline LngFile readBack(const QString& path)
{
    const LngReadResult read = readLngFile(path);
    EXPECT_EQ(read.status, LngStatus::Complete) << qPrintable(path) << qPrintable(read.detail);
    return read.file;
}

/// Two languages, three entries, one empty text.
inline LngFile twoLanguageSample()
{
    return {{"English", "Deutsch"},
            {{"MainForm", {"Wendax", "Wendax DE"}},
             {"TLabel(Label2.Caption)", {"Account:", "Konto:"}},
             {"TEdit(Edit6.Text)", {"1234", ""}}}};
}

} // namespace wendax::test
