#pragma once
#include <QHash>
#include <QString>

#include <memory>

class QSettings;

namespace wendax::gui {

/// The program's persisted settings: text values below the key
/// "\SOFTWARE\Volmera\Configuration\1.0", per user first, machine-wide as the
/// fallback. GUI thread only.
class SettingsStore {
public:
    /// Value names.
    static inline const QString kCom = QStringLiteral("COM");
    static inline const QString kComIndex = QStringLiteral("COMindex");
    static inline const QString kComEnable = QStringLiteral("COM enable");
    static inline const QString kLanguage = QStringLiteral("Language");
    static inline const QString kFileName = QStringLiteral("FFileName");

    /// `user` is written, `machine` only read. `group` is the key below each
    /// store's root (empty where the stores already open the key itself).
    SettingsStore(std::unique_ptr<QSettings> user, std::unique_ptr<QSettings> machine, QString group = {});
    ~SettingsStore();

    /// The system's stores: the registry key on Windows, the per-user and
    /// machine-wide "Volmera/Configuration" files elsewhere.
    static std::unique_ptr<SettingsStore> openSystem();

    /// The user's value; when that is empty, the machine-wide value, which is
    /// then copied to the user's store (even when empty). Missing reads as "".
    QString ReadSetting(const QString& name);
    /// Writes the user's value. Failures are ignored, as a store that cannot
    /// be written leaves nothing a user could do about it.
    void WriteSetting(const QString& name, const QString& text);

    /// Makes `name` read as `text` for the rest of the run without storing
    /// it; writes of `name` then change only that value (a simulated device
    /// must not replace the user's port for later runs).
    void holdForThisRun(const QString& name, const QString& text);

private:
    QString key(const QString& name) const;

    std::unique_ptr<QSettings> m_user;
    std::unique_ptr<QSettings> m_machine;
    QString m_group;
    QHash<QString, QString> m_held;
};

} // namespace wendax::gui
