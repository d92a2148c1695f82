#include "language.h"

#include "form_texts.h"
#include "lng_file.h"
#include "messages.h"

#include <QDir>
#include <QSet>
#include <QWidget>

namespace wendax {
namespace {

FileResult fromRead(const LngReadResult& read)
{
    switch (read.status) {
    case LngStatus::Complete: return {FileStatus::Done, {}};
    case LngStatus::Cut: return {FileStatus::Cut, read.detail};
    case LngStatus::Missing: return {FileStatus::Missing, {}};
    case LngStatus::Refused: return {FileStatus::Refused, read.detail};
    case LngStatus::Unreadable: return {FileStatus::Failed, read.detail};
    }
    return {FileStatus::Failed, read.detail};
}

FileResult fromWrite(const LngWriteResult& written)
{
    if (!written.written)
        return {FileStatus::Failed, written.error};
    return {FileStatus::Done, {}};
}

QString selectedLanguageOf(const LanguageEnvironment& environment)
{
    if (!environment.selectedLanguage)
        return {};
    try {
        return environment.selectedLanguage();
    } catch (...) {
        // The settings store's failure must not keep a window from opening.
        qCWarning(lcLanguage) << "reading the selected language failed";
        return {};
    }
}

qsizetype activeIndexOf(const QStringList& names, const QString& selected)
{
    const qsizetype last = names.lastIndexOf(selected);
    return last >= 0 ? last : 0;
}

QString baseNameOf(const QString& fileName)
{
    const qsizetype dot = fileName.indexOf(u'.');
    return dot >= 0 ? fileName.first(dot) : fileName;
}

// Lookup answers the first of equal keys, as a scan from the start would.
void keepFirst(QHash<QString, qsizetype>& index, const QString& key, qsizetype at)
{
    if (!index.contains(key))
        index.insert(key, at);
}

bool loaded(const FileResult& result)
{
    return result.status == FileStatus::Done || result.status == FileStatus::Cut;
}

void logProblem(const char* what, const QString& name, const FileResult& result)
{
    if (result.status == FileStatus::Done || result.status == FileStatus::Missing || result.status == FileStatus::Skipped)
        return;
    qCWarning(lcLanguage).noquote() << what << name << result.detail;
}

} // namespace

TGLanguage::TGLanguage(LanguageEnvironment environment) : m_environment(std::move(environment)) {}

QString TGLanguage::pathOf(const QString& name) const
{
    return QDir(m_environment.folder).filePath(name);
}

QString TGLanguage::writePathOf(const QString& name) const
{
    const QString& folder = m_environment.writeFolder.isEmpty() ? m_environment.folder : m_environment.writeFolder;
    return QDir(folder).filePath(name);
}

void TGLanguage::clearTranslations()
{
    m_translations.clear();
    m_firstExact.clear();
    m_firstFolded.clear();
    m_languageNames.clear();
    m_activeLanguage.clear();
}

FileResult TGLanguage::WriteDefaultFile(QWidget& window, const QString& defaultName)
{
    LngFile file;
    file.languages = QStringList{msg::kEnglish};
    file.entries.push_back({window.objectName(), {window.windowTitle()}});
    for (QObject* component : formComponents(window)) {
        for (const TextSlot& slot : componentTexts(*component))
            file.entries.push_back({slot.key, {slot.text}});
    }
    return fromWrite(writeLngFile(writePathOf(defaultName), file));
}

FileResult TGLanguage::LoadLanguageFile(const QString& fileName)
{
    LngReadResult read = readLngFile(pathOf(fileName));
    if (read.status == LngStatus::Missing)
        return fromRead(read);
    clearTranslations();
    if (!read.usable())
        return fromRead(read);

    m_languageNames = read.file.languages;
    const qsizetype active = activeIndexOf(m_languageNames, selectedLanguageOf(m_environment));
    m_activeLanguage = m_languageNames[active];
    m_translations.reserve(read.file.entries.size());
    for (LngEntry& entry : read.file.entries) {
        const auto index = static_cast<qsizetype>(m_translations.size());
        keepFirst(m_firstExact, entry.key, index);
        keepFirst(m_firstFolded, entry.key.toCaseFolded(), index);
        m_translations.emplace_back(std::move(entry.key), TGStringItem(entry.texts[active]));
    }
    return fromRead(read);
}

QString TGLanguage::Lookup(const QString& key) const
{
    auto found = m_firstExact.constFind(key);
    if (found == m_firstExact.cend()) {
        found = m_firstFolded.constFind(key.toCaseFolded());
        if (found == m_firstFolded.cend())
            return msg::kNull;
    }
    return m_translations[static_cast<std::size_t>(*found)].second.text();
}

void TGLanguage::TranslateForm(QWidget& window)
{
    if (m_translatedForms.contains(window.objectName()))
        return;
    m_translatedForms.append(window.objectName());
    const QString caption = Lookup(window.objectName());
    if (!caption.isEmpty())
        window.setWindowTitle(caption);
    for (QObject* component : formComponents(window))
        TranslateComponent(*component);
}

void TGLanguage::TranslateComponent(QObject& component)
{
    for (const TextSlot& slot : componentTexts(component)) {
        const QString text = Lookup(slot.key);
        if (!text.isEmpty() && !setSlotText(slot, text))
            qCWarning(lcLanguage) << "could not show the translation of" << slot.key;
    }
}

FileResult TGLanguage::WriteCheckedFile(const QString& fileName, const QString& checkedName, const QString& defaultName)
{
    LngReadResult language = readLngFile(pathOf(fileName));
    if (!language.usable())
        return {FileStatus::Skipped, language.detail};
    const LngReadResult defaults = readLngFile(writePathOf(defaultName));
    if (!defaults.usable())
        return {FileStatus::Skipped, defaults.detail};

    LngFile& checked = language.file;
    QSet<QString> known;
    for (const LngEntry& entry : checked.entries)
        known.insert(entry.key.toCaseFolded());
    const qsizetype languageCount = checked.languages.size();
    for (const LngEntry& entry : defaults.file.entries) {
        const QString folded = entry.key.toCaseFolded();
        if (known.contains(folded))
            continue;
        known.insert(folded);
        const QString english = entry.texts.value(0);
        checked.entries.push_back({entry.key, QStringList(languageCount, english)});
    }
    // The names are the language file's own, so every entry's texts match them
    // even when no LoadLanguageFile came first.
    return fromWrite(writeLngFile(writePathOf(checkedName), checked));
}

ApplyLanguageResult ApplyLanguage(QWidget& window, const QString& fileName, const LanguageEnvironment& environment)
{
    const QString base = baseNameOf(fileName);
    const QString defaultName = base + msg::kDefaultSuffix;
    const QString checkedName = base + msg::kCheckedSuffix;

    TGLanguage language(environment);
    ApplyLanguageResult result;
    result.defaultFile = language.WriteDefaultFile(window, defaultName);
    result.languageFile = language.LoadLanguageFile(fileName);
    // Without a language there is nothing to translate with: every text would
    // read "NULL", so the window keeps the texts it was built with.
    if (loaded(result.languageFile))
        language.TranslateForm(window);
    result.checkedFile = language.WriteCheckedFile(fileName, checkedName, defaultName);
    result.languageNames = language.languageNames();
    result.activeLanguage = language.activeLanguage();

    logProblem("default file", defaultName, result.defaultFile);
    logProblem("language file", fileName, result.languageFile);
    logProblem("checked file", checkedName, result.checkedFile);
    return result;
}

} // namespace wendax
