#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

/// The code page of language-file texts. The files carry no code page of their
/// own; Wendax reads and writes them as Windows-1252 (Western European).
namespace wendax {

/// Every byte decodes to a character of its own: the five bytes Windows-1252
/// leaves undefined (81, 8D, 8F, 90, 9D) decode to the C1 control of the same
/// value, so toCodePage(fromCodePage(b)) == b for any bytes.
QString fromCodePage(QByteArrayView bytes);

/// One byte per character; a character the code page lacks becomes '?', and
/// `lossless` (when given) is then set to false.
QByteArray toCodePage(QStringView text, bool* lossless = nullptr);

} // namespace wendax
