#pragma once
#include <QString>

namespace wendax::gui {

/// Where the program finds its folders. Shipped files ("DefaultConfig",
/// "FirmwareUpdates", "Language") are read next to the executable. What the
/// program writes ("MyConfig", the translators' language files) goes next to
/// the executable too when that folder can be written (portable use), and to
/// a per-user data folder otherwise (an installed program).
class ProgramFolders {
public:
    static inline const QString kMyConfig = QStringLiteral("MyConfig");
    static inline const QString kDefaultConfig = QStringLiteral("DefaultConfig");
    static inline const QString kFirmwareUpdates = QStringLiteral("FirmwareUpdates");
    static inline const QString kLanguage = QStringLiteral("Language");

    ProgramFolders() = default;
    ProgramFolders(QString programFolder, QString userDataFolder, bool programFolderWritable);

    /// The folders of the running executable, with the per-user data folder
    /// of the system as the fallback for writing.
    static ProgramFolders forRunningProgram();
    /// Probes `programFolder` by creating and removing a file in it.
    static ProgramFolders detect(const QString& programFolder, const QString& userDataFolder);
    static bool canWriteIn(const QString& folder);

    /// The folder of the executable: shipped files are read below it.
    QString programFolder() const { return m_programFolder; }
    /// The folder below which the program writes.
    QString writableRoot() const { return m_writable ? m_programFolder : m_userDataFolder; }

    QString myConfig() const { return writableFolder(kMyConfig); }
    QString defaultConfig() const { return shippedFolder(kDefaultConfig); }
    QString firmwareUpdates() const { return shippedFolder(kFirmwareUpdates); }
    QString languageShipped() const { return shippedFolder(kLanguage); }
    QString languageWritable() const { return writableFolder(kLanguage); }

private:
    QString shippedFolder(const QString& name) const;
    /// Created on first use, so that file dialogs open in it.
    QString writableFolder(const QString& name) const;

    QString m_programFolder;
    QString m_userDataFolder;
    bool m_writable = false;
};

} // namespace wendax::gui
