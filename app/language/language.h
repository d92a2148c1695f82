#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class QObject;
class QWidget;

namespace wendax {

/// SelectedLanguage: the user's language name, the settings value "Language"
/// with its machine-wide fallback. The frame passes its settings store here.
using SelectedLanguageFn = std::function<QString()>;

/// Where the language module finds and writes its files, and whom it asks for
/// the selected language.
struct LanguageEnvironment {
    QString folder; ///< the "Language" folder below the program folder
    SelectedLanguageFn selectedLanguage;
    /// Where the default and checked files are written, when the program's
    /// own folder cannot be written (an installed program); empty: `folder`.
    QString writeFolder = {};
};

/// How one file of the language module fared.
enum class FileStatus {
    Done,    ///< read whole or written
    Cut,     ///< read, but its entries broke off: the whole ones were used
    Missing, ///< not there: nothing read
    Refused, ///< unusable (no language, impossible counts, too large): nothing read
    Failed,  ///< could not be read or written
    Skipped, ///< not written because its inputs were missing or unusable
};

struct FileResult {
    FileStatus status = FileStatus::Skipped;
    QString detail; ///< why, for the log; empty when Done
};

/// One translation: the text of a key in the active language (may be empty).
class TGStringItem {
public:
    explicit TGStringItem(QString text) : m_text(std::move(text)) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

/// The language module for one application of a language file to one
/// window. File names are bare names taken relative to the environment's
/// folder. GUI thread only. Nothing here throws; failures come back as
/// FileResult.
class TGLanguage {
public:
    explicit TGLanguage(LanguageEnvironment environment);

    /// Writes the window's texts as it shows them now, under the language
    /// "English": the window's name and caption first, then every text of
    /// componentTexts() in component order.
    FileResult WriteDefaultFile(QWidget& window, const QString& defaultName);

    /// Replaces the translation list, the language names and the active name
    /// from the file; the active language is the last name equal to
    /// SelectedLanguage, or the first. A missing file changes nothing; an
    /// unusable one leaves the lists empty.
    FileResult LoadLanguageFile(const QString& fileName);

    /// Translates the caption (the window's name is its key) and every
    /// component, once per window name.
    void TranslateForm(QWidget& window);
    /// A non-empty Lookup replaces the text; an empty one leaves it.
    void TranslateComponent(QObject& component);

    /// The text of the first key equal to `key`, else of the first equal to
    /// it ignoring case, else "NULL".
    QString Lookup(const QString& key) const;

    /// The language file's entries followed by every key of the default file
    /// it lacks (ignoring case), that key's default text in every language.
    /// Skipped when either file is missing or unusable.
    FileResult WriteCheckedFile(const QString& fileName, const QString& checkedName, const QString& defaultName);

    const QStringList& languageNames() const { return m_languageNames; }
    const QString& activeLanguage() const { return m_activeLanguage; }

private:
    QString pathOf(const QString& name) const;
    QString writePathOf(const QString& name) const;
    void clearTranslations();

    LanguageEnvironment m_environment;
    std::vector<std::pair<QString, TGStringItem>> m_translations; ///< file order
    QHash<QString, qsizetype> m_firstExact;  ///< key -> first index
    QHash<QString, qsizetype> m_firstFolded; ///< case-folded key -> first index
    QStringList m_languageNames;
    QString m_activeLanguage;
    QStringList m_translatedForms;
};

/// What ApplyLanguage did, for the frame's log and its Settings dialog.
struct ApplyLanguageResult {
    FileResult defaultFile;
    FileResult languageFile;
    FileResult checkedFile;
    QStringList languageNames; ///< the file's languages, for the Settings dialog
    QString activeLanguage;    ///< the one in use; empty when none was loaded
};

/// Writes the window's default file, loads `fileName` ("Main.lng", "N5.lng"),
/// translates the window and writes its checked file. A window whose
/// language file is missing or unusable keeps its built-in texts. A missing
/// or unwritable folder only shows in the result: the window is translated
/// whenever its language file can be read.
ApplyLanguageResult ApplyLanguage(QWidget& window, const QString& fileName, const LanguageEnvironment& environment);

} // namespace wendax
