#pragma once
#include "lng_file.h"

#include <QString>

#include <optional>

/// A language file as editable UTF-8 text, for producing the shipped files
/// and reviewing translations:
///
///   # comment lines start with '#'; blank lines are ignored
///   @languages<TAB>English<TAB>Deutsch
///   TLabel(Label2.Caption)<TAB>Account:<TAB>Konto:
///
/// One line per entry: the key, then one text per language, separated by
/// tabs. Escapes: \t \n \r \\ and \xHH for the code-page byte HH; a key that
/// starts with '#' or '@' is written with that character escaped.
namespace wendax {

/// Every string comes back byte for byte when the text is parsed again.
QString lngToText(const LngFile& file);

struct LngTextResult {
    std::optional<LngFile> file;
    QString error; ///< "line N: ..." when file is empty
};

/// Refuses what could not be written as given: a character outside the code
/// page, a string above kMaxLngStringBytes, a line whose text count differs
/// from the language count, a missing or repeated languages line.
LngTextResult parseLngText(const QString& text);

} // namespace wendax
