#include "settings_store.h"

#include <QSettings>

namespace wendax::gui {

SettingsStore::SettingsStore(std::unique_ptr<QSettings> user, std::unique_ptr<QSettings> machine, QString group)
    : m_user(std::move(user))
    , m_machine(std::move(machine))
    , m_group(std::move(group))
{
    // The fallback is explicit below (it copies to the user); QSettings' own
    // would read the machine-wide value without copying it.
    m_user->setFallbacksEnabled(false);
    if (m_machine)
        m_machine->setFallbacksEnabled(false);
}

SettingsStore::~SettingsStore() = default;

std::unique_ptr<SettingsStore> SettingsStore::openSystem()
{
#ifdef Q_OS_WIN
    const QString path = QStringLiteral("\\SOFTWARE\\Volmera\\Configuration\\1.0");
    return std::make_unique<SettingsStore>(
        std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER") + path, QSettings::NativeFormat),
        std::make_unique<QSettings>(QStringLiteral("HKEY_LOCAL_MACHINE") + path, QSettings::NativeFormat));
#else
    const QString organization = QStringLiteral("Volmera");
    const QString application = QStringLiteral("Configuration");
    return std::make_unique<SettingsStore>(
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, organization, application),
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::SystemScope, organization, application),
        QStringLiteral("1.0"));
#endif
}

QString SettingsStore::key(const QString& name) const
{
    return m_group.isEmpty() ? name : m_group + QLatin1Char('/') + name;
}

QString SettingsStore::ReadSetting(const QString& name)
{
    if (const auto held = m_held.constFind(name); held != m_held.cend())
        return *held;
    const QString text = m_user->value(key(name)).toString();
    if (!text.isEmpty() || !m_machine)
        return text;
    const QString machineText = m_machine->value(key(name)).toString();
    WriteSetting(name, machineText);
    return machineText;
}

void SettingsStore::WriteSetting(const QString& name, const QString& text)
{
    if (const auto held = m_held.find(name); held != m_held.end()) {
        *held = text;
        return;
    }
    m_user->setValue(key(name), text);
    m_user->sync();
}

void SettingsStore::holdForThisRun(const QString& name, const QString& text)
{
    m_held.insert(name, text);
}

} // namespace wendax::gui
