#include "settings_dialog.h"

#include "device_window.h"
#include "messages.h"
#include "settings_store.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSignalBlocker>

namespace wendax::gui {

void PortComboBox::showPopup()
{
    emit aboutToDropDown();
    QComboBox::showPopup();
}

QStringList systemSerialPorts()
{
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        if (info.portName().startsWith(QLatin1String("COM")))
            ports << info.portName();
#else
        ports << info.systemLocation();
#endif
    }
    return ports;
}

TForm2::TForm2(SettingsStore& settings, Hooks hooks, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_hooks(std::move(hooks))
{
    setComponent(this, QStringLiteral("Form2"), "TForm2");
    setWindowTitle(msg::kSettingsCaption);
    setFixedSize(255, 165);

    auto* portLabel = new QLabel(msg::kSerialPortLabel, this);
    setComponent(portLabel, QStringLiteral("Label1"), "TLabel");
    m_ports = new PortComboBox(this);
    setComponent(m_ports, QStringLiteral("ComboBox1"), "TComboBox");
    m_ports->setEditable(true); // also takes a typed path, such as a pseudo-terminal
    m_ports->setInsertPolicy(QComboBox::NoInsert);
    auto* languageLabel = new QLabel(msg::kLanguageLabel, this);
    setComponent(languageLabel, QStringLiteral("Label2"), "TLabel");
    languageLabel->hide();
    m_languages = new QComboBox(this);
    setComponent(m_languages, QStringLiteral("ComboBox2"), "TComboBox");
    auto* ok = new QPushButton(msg::kOk, this);
    setComponent(ok, QStringLiteral("Button1"), "TButton");
    ok->setDefault(true);
    m_comEnable = new QCheckBox(msg::kComEnable, this);
    setComponent(m_comEnable, QStringLiteral("CheckBox1"), "TCheckBox");

    auto* layout = new QGridLayout(this);
    layout->addWidget(portLabel, 0, 0);
    layout->addWidget(m_ports, 0, 1);
    layout->addWidget(languageLabel, 1, 0);
    layout->addWidget(m_languages, 1, 1);
    layout->addWidget(m_comEnable, 2, 0, 1, 2);
    layout->addWidget(ok, 3, 1, Qt::AlignRight);
    layout->setColumnStretch(1, 1);

    connect(ok, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(m_ports, &PortComboBox::aboutToDropDown, this, &TForm2::ComboBox1DropDown);
    connect(m_languages, &QComboBox::activated, this, &TForm2::ComboBox2Change);

    // Creation: the tick from the settings, hidden; the port list and its stored position.
    setComEnabled(m_settings.ReadSetting(SettingsStore::kComEnable) == QLatin1String("1"));
    m_comEnable->hide();
    ComboBox1DropDown();
    bool isNumber = false;
    const int stored = m_settings.ReadSetting(SettingsStore::kComIndex).toInt(&isNumber);
    // A malformed or out-of-range position selects nothing.
    m_ports->setCurrentIndex(isNumber && stored >= 0 && stored < m_ports->count() ? stored : -1);
    // A typed port (a pseudo-terminal) has no position; without its text here
    // the next OK would store an empty port name.
    if (m_ports->currentIndex() < 0)
        m_ports->setEditText(m_settings.ReadSetting(SettingsStore::kCom));
}

bool TForm2::comEnabled() const
{
    return m_comEnable->isChecked();
}

void TForm2::setComEnabled(bool enabled)
{
    m_comEnable->setChecked(enabled);
}

void TForm2::ComboBox1DropDown()
{
    // What the user typed stays in the box while the list is filled again.
    const QString typed = m_ports->currentText();
    const QSignalBlocker blocker(m_ports);
    m_ports->clear();
    if (m_hooks.listPorts)
        m_ports->addItems(m_hooks.listPorts());
    m_ports->setCurrentIndex(m_ports->findText(typed));
    m_ports->setEditText(typed);
}

void TForm2::FormActivate()
{
    setComEnabled(m_settings.ReadSetting(SettingsStore::kComEnable) == QLatin1String("1"));
    const QSignalBlocker blocker(m_languages);
    m_languages->clear();
    if (m_hooks.languageNames)
        m_languages->addItems(m_hooks.languageNames());
    m_languages->setCurrentIndex(m_hooks.activeLanguage ? m_languages->findText(m_hooks.activeLanguage()) : -1);
}

void TForm2::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TForm2::Button1Click()
{
    const QString port = m_ports->currentText();
    m_settings.WriteSetting(SettingsStore::kComIndex, QString::number(m_ports->findText(port)));
    m_settings.WriteSetting(SettingsStore::kCom, port);
    if (comEnabled()) {
        m_settings.WriteSetting(SettingsStore::kComEnable, QStringLiteral("1"));
        if (m_hooks.applyComEnable)
            m_hooks.applyComEnable(true);
    } else {
        m_settings.WriteSetting(SettingsStore::kComEnable, QStringLiteral("0"));
        if (m_hooks.portOpen && m_hooks.portOpen() && m_hooks.applyComEnable)
            m_hooks.applyComEnable(false);
        if (m_hooks.logLine)
            m_hooks.logLine(m_settings.ReadSetting(SettingsStore::kCom) + msg::kPortClosedSuffix);
    }
    accept();
}

void TForm2::ComboBox2Change(int index)
{
    if (index < 0)
        return;
    const QString name = m_languages->itemText(index);
    m_settings.WriteSetting(SettingsStore::kLanguage, name);
    emit languageChosen(name);
}

} // namespace wendax::gui
