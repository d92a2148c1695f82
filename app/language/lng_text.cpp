#include "lng_text.h"

#include "code_page.h"

#include <QStringTokenizer>

namespace wendax {
namespace {

constexpr QLatin1StringView kLanguagesTag{"@languages"};
constexpr QLatin1StringView kHeader{
    "# Wendax language file. One line per entry: key, then one text per language, tab-separated.\n"
    "# Escapes: \\t \\n \\r \\\\ and \\xHH for the code-page (Windows-1252) byte HH.\n"};

bool needsHexEscape(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0);
}

QString hexEscape(QChar c)
{
    const auto byte = static_cast<quint8>(toCodePage(QStringView(&c, 1)).at(0));
    return QLatin1StringView("\\x") + QString::number(byte, 16).rightJustified(2, u'0').toUpper();
}

QString escapeField(const QString& text, bool isKey)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\')
            out += QLatin1StringView("\\\\");
        else if (c == u'\t')
            out += QLatin1StringView("\\t");
        else if (c == u'\n')
            out += QLatin1StringView("\\n");
        else if (c == u'\r')
            out += QLatin1StringView("\\r");
        else if (needsHexEscape(c) || (isKey && i == 0 && (c == u'#' || c == u'@')))
            out += hexEscape(c);
        else
            out += c;
    }
    return out;
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

/// The field's code-page bytes decoded again, or an error.
std::optional<QString> unescapeField(QStringView field, QString& error)
{
    QByteArray bytes;
    QString plain; // characters waiting to be encoded together (keeps surrogate pairs whole)
    auto flush = [&]() {
        bool lossless = true;
        bytes += toCodePage(plain, &lossless);
        plain.clear();
        return lossless;
    };
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != u'\\') {
            plain += field[i];
            continue;
        }
        if (!flush()) {
            error = QStringLiteral("a character outside the code page");
            return std::nullopt;
        }
        const QChar kind = i + 1 < field.size() ? field[i + 1] : QChar();
        ++i;
        if (kind == u't')
            bytes += '\t';
        else if (kind == u'n')
            bytes += '\n';
        else if (kind == u'r')
            bytes += '\r';
        else if (kind == u'\\')
            bytes += '\\';
        else if (kind == u'x' && i + 2 < field.size() && hexValue(field[i + 1]) >= 0 && hexValue(field[i + 2]) >= 0) {
            bytes += static_cast<char>(hexValue(field[i + 1]) * 16 + hexValue(field[i + 2]));
            i += 2;
        } else {
            error = QStringLiteral("a bad escape");
            return std::nullopt;
        }
    }
    if (!flush()) {
        error = QStringLiteral("a character outside the code page");
        return std::nullopt;
    }
    if (bytes.size() > kMaxLngStringBytes) {
        error = QStringLiteral("a string longer than %1 bytes").arg(kMaxLngStringBytes);
        return std::nullopt;
    }
    return fromCodePage(bytes);
}

LngTextResult failure(qsizetype line, const QString& what)
{
    return {std::nullopt, QStringLiteral("line %1: %2").arg(line).arg(what)};
}

} // namespace

QString lngToText(const LngFile& file)
{
    QString out = kHeader;
    out += kLanguagesTag;
    for (const QString& name : file.languages)
        out += u'\t' + escapeField(name, false);
    out += u'\n';
    for (const LngEntry& entry : file.entries) {
        out += escapeField(entry.key, true);
        for (qsizetype j = 0; j < file.languages.size(); ++j)
            out += u'\t' + escapeField(entry.texts.value(j), false);
        out += u'\n';
    }
    return out;
}

LngTextResult parseLngText(const QString& text)
{
    LngFile file;
    bool haveLanguages = false;
    qsizetype lineNumber = 0;
    for (QStringView line : QStringTokenizer(text, u'\n')) {
        ++lineNumber;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        QStringList fields;
        for (QStringView raw : QStringTokenizer(line, u'\t')) {
            QString error;
            auto field = unescapeField(raw, error);
            if (!field)
                return failure(lineNumber, error);
            fields.append(std::move(*field));
        }
        if (line.startsWith(u'@')) {
            if (fields.first() != kLanguagesTag || haveLanguages || fields.size() < 2)
                return failure(lineNumber, QStringLiteral("expected one line \"@languages<TAB>name...\" naming at least one language"));
            fields.removeFirst();
            file.languages = std::move(fields);
            haveLanguages = true;
            continue;
        }
        if (!haveLanguages)
            return failure(lineNumber, QStringLiteral("an entry before the @languages line"));
        if (fields.size() != file.languages.size() + 1)
            return failure(lineNumber, QStringLiteral("%1 texts for %2 languages").arg(fields.size() - 1).arg(file.languages.size()));
        QString key = fields.takeFirst();
        file.entries.push_back({std::move(key), std::move(fields)});
    }
    if (!haveLanguages)
        return {std::nullopt, QStringLiteral("no @languages line")};
    return {std::move(file), {}};
}

} // namespace wendax
