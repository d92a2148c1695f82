// wendax-lngtool: language files as editable text and back.
//   wendax-lngtool dump FILE.lng          writes the text form to standard output
//   wendax-lngtool build TEXT FILE.lng    writes FILE.lng from the text form
#include "lng_file.h"
#include "lng_text.h"

#include <QFile>
#include <QString>

#include <cstdio>

namespace {

constexpr int kUsage = 2;
constexpr int kFailed = 1;
constexpr qsizetype kMaxTextBytes = 4 * wendax::kMaxLngFileBytes;

void complain(const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stderr);
}

int dump(const QString& path)
{
    const wendax::LngReadResult read = wendax::readLngFile(path);
    switch (read.status) {
    case wendax::LngStatus::Missing: complain(path + QStringLiteral(": no such file")); return kFailed;
    case wendax::LngStatus::Unreadable:
    case wendax::LngStatus::Refused: complain(path + QStringLiteral(": ") + read.detail); return kFailed;
    case wendax::LngStatus::Cut:
    case wendax::LngStatus::Complete: break;
    }
    const QByteArray text = wendax::lngToText(read.file).toUtf8();
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    if (read.status == wendax::LngStatus::Cut)
        complain(path + QStringLiteral(": ") + read.detail + QStringLiteral("; the whole entries before are shown"));
    if (read.stringsCut > 0)
        complain(path + QStringLiteral(": %1 strings longer than %2 bytes were cut").arg(read.stringsCut).arg(wendax::kMaxLngStringBytes));
    return read.status == wendax::LngStatus::Complete && read.stringsCut == 0 ? 0 : kFailed;
}

int build(const QString& textPath, const QString& lngPath)
{
    QFile in(textPath);
    if (!in.open(QIODevice::ReadOnly)) {
        complain(textPath + QStringLiteral(": ") + in.errorString());
        return kFailed;
    }
    const QByteArray utf8 = in.read(kMaxTextBytes + 1);
    if (utf8.size() > kMaxTextBytes) {
        complain(textPath + QStringLiteral(": too large"));
        return kFailed;
    }
    const wendax::LngTextResult parsed = wendax::parseLngText(QString::fromUtf8(utf8));
    if (!parsed.file) {
        complain(textPath + QStringLiteral(": ") + parsed.error);
        return kFailed;
    }
    const wendax::LngWriteResult written = wendax::writeLngFile(lngPath, *parsed.file);
    if (!written.written) {
        complain(lngPath + QStringLiteral(": ") + written.error);
        return kFailed;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QStringLiteral("dump") && argc == 3)
        return dump(QString::fromLocal8Bit(argv[2]));
    if (command == QStringLiteral("build") && argc == 4)
        return build(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    complain(QStringLiteral("usage: wendax-lngtool dump FILE.lng\n"
                            "       wendax-lngtool build TEXT FILE.lng"));
    return kUsage;
}
