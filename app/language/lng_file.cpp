#include "lng_file.h"

#include "code_page.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <limits>
#include <optional>

namespace wendax {
namespace {

constexpr qsizetype kIntBytes = 4;

class LngReader {
public:
    explicit LngReader(QByteArrayView bytes) : m_bytes(bytes) {}

    qsizetype remaining() const { return m_bytes.size() - m_at; }

    std::optional<qint32> int32()
    {
        if (remaining() < kIntBytes)
            return std::nullopt;
        quint32 v = 0;
        for (qsizetype i = 0; i < kIntBytes; ++i)
            v |= quint32{static_cast<quint8>(m_bytes[m_at + i])} << (8 * i);
        m_at += kIntBytes;
        return static_cast<qint32>(v);
    }

    /// nullopt when the length is negative or runs past the end.
    std::optional<QString> string(int& stringsCut)
    {
        const auto length = int32();
        if (!length || *length < 0 || *length > remaining())
            return std::nullopt;
        const qsizetype kept = std::min<qsizetype>(*length, kMaxLngStringBytes);
        if (kept < *length)
            ++stringsCut;
        QString text = fromCodePage(m_bytes.sliced(m_at, kept));
        m_at += *length;
        return text;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

LngReadResult refused(const char* why)
{
    LngReadResult result;
    result.status = LngStatus::Refused;
    result.detail = QString::fromLatin1(why);
    return result;
}

std::optional<LngEntry> readEntry(LngReader& in, qsizetype languageCount, int& stringsCut)
{
    LngEntry entry;
    auto key = in.string(stringsCut);
    if (!key)
        return std::nullopt;
    entry.key = std::move(*key);
    entry.texts.reserve(languageCount);
    for (qsizetype j = 0; j < languageCount; ++j) {
        auto text = in.string(stringsCut);
        if (!text)
            return std::nullopt;
        entry.texts.append(std::move(*text));
    }
    return entry;
}

void appendInt(QByteArray& out, qint32 v)
{
    const auto u = static_cast<quint32>(v);
    for (int i = 0; i < kIntBytes; ++i)
        out.append(static_cast<char>(u >> (8 * i)));
}

void appendString(QByteArray& out, const QString& text, LngWriteResult& counts)
{
    bool lossless = true;
    QByteArray bytes = toCodePage(text, &lossless);
    if (!lossless)
        ++counts.stringsLossy;
    if (bytes.size() > kMaxLngStringBytes) {
        bytes.truncate(kMaxLngStringBytes);
        ++counts.stringsCut;
    }
    appendInt(out, static_cast<qint32>(bytes.size()));
    out.append(bytes);
}

qint32 countOf(qsizetype n)
{
    return static_cast<qint32>(std::min<qsizetype>(n, std::numeric_limits<qint32>::max()));
}

} // namespace

LngReadResult parseLng(QByteArrayView bytes)
{
    LngReader in(bytes);
    const auto languageCount = in.int32();
    if (!languageCount)
        return refused("the file ends before its language count");
    if (*languageCount == 0)
        return refused("the file names no language");
    if (*languageCount < 0 || *languageCount > in.remaining() / kIntBytes)
        return refused("the language count is larger than the file could hold");

    LngReadResult result;
    result.file.languages.reserve(*languageCount);
    for (qint32 i = 0; i < *languageCount; ++i) {
        auto name = in.string(result.stringsCut);
        if (!name)
            return refused("the file ends inside its language names");
        result.file.languages.append(std::move(*name));
    }
    const auto entryCount = in.int32();
    if (!entryCount)
        return refused("the file ends before its entry count");
    if (*entryCount < 0)
        return refused("the entry count is negative");

    // Each entry takes at least one length per string, so the bytes left bound
    // how many entries can follow whatever the count claims.
    const qsizetype smallestEntry = kIntBytes * (qsizetype{*languageCount} + 1);
    result.file.entries.reserve(static_cast<std::size_t>(std::min<qsizetype>(*entryCount, in.remaining() / smallestEntry)));
    for (qint32 i = 0; i < *entryCount; ++i) {
        auto entry = readEntry(in, *languageCount, result.stringsCut);
        if (!entry) {
            result.status = LngStatus::Cut;
            result.detail = QStringLiteral("the file ends or breaks inside entry %1 of %2").arg(i + 1).arg(*entryCount);
            break;
        }
        result.file.entries.push_back(std::move(*entry));
    }
    return result;
}

LngReadResult readLngFile(const QString& path)
{
    const QFileInfo info(path);
    LngReadResult result;
    if (!info.exists()) {
        result.status = LngStatus::Missing;
        return result;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        result.status = LngStatus::Unreadable;
        result.detail = info.isFile() ? file.errorString() : QStringLiteral("not a file");
        return result;
    }
    // Read one byte past the limit rather than trusting size(), which a
    // special file may not report.
    const QByteArray bytes = file.read(kMaxLngFileBytes + 1);
    if (bytes.size() > kMaxLngFileBytes)
        return refused("the file is larger than 4 MiB");
    if (file.error() != QFileDevice::NoError) {
        result.status = LngStatus::Unreadable;
        result.detail = file.errorString();
        return result;
    }
    return parseLng(bytes);
}

QByteArray serializeLng(const LngFile& file, LngWriteResult* counts)
{
    LngWriteResult local;
    LngWriteResult& c = counts ? *counts : local;
    QByteArray out;
    appendInt(out, countOf(file.languages.size()));
    for (const QString& name : file.languages)
        appendString(out, name, c);
    appendInt(out, countOf(static_cast<qsizetype>(file.entries.size())));
    for (const LngEntry& entry : file.entries) {
        appendString(out, entry.key, c);
        for (qsizetype j = 0; j < file.languages.size(); ++j)
            appendString(out, j < entry.texts.size() ? entry.texts[j] : QString(), c);
    }
    return out;
}

LngWriteResult writeLngFile(const QString& path, const LngFile& file)
{
    LngWriteResult result;
    const QByteArray bytes = serializeLng(file, &result);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        result.error = out.errorString();
        return result;
    }
    result.written = true;
    return result;
}

} // namespace wendax
