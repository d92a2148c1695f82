#pragma once
#include <QComboBox>
#include <QDialog>

#include <functional>

class QCheckBox;

namespace wendax::gui {

class SettingsStore;

/// The editable port list; it is filled again whenever it drops down.
class PortComboBox final : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void aboutToDropDown();
};

/// The serial ports the system lists: names beginning with "COM" on Windows,
/// the device paths elsewhere.
QStringList systemSerialPorts();

/// The Settings dialog: serial port and language, and the hidden "COM enable"
/// tick through which the program opens and closes the port.
class TForm2 final : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        std::function<QStringList()> listPorts;          ///< the port list's entries
        std::function<void(bool enabled)> applyComEnable; ///< opens or closes the port
        std::function<bool()> portOpen;
        std::function<void(const QString&)> logLine;
        /// The frame's language names and active name, for the language list.
        std::function<QStringList()> languageNames;
        std::function<QString()> activeLanguage;
    };

    TForm2(SettingsStore& settings, Hooks hooks, QWidget* parent = nullptr);

    bool comEnabled() const;
    void setComEnabled(bool enabled);
    QComboBox* portList() const { return m_ports; }
    QComboBox* languageList() const { return m_languages; }

    /// OK: stores the port, opens or closes it after the tick, closes the dialog.
    void Button1Click();
    void ComboBox1DropDown();
    void ComboBox2Change(int index);
    /// Reads the tick and fills the language list; runs each time the dialog shows.
    void FormActivate();

signals:
    /// The user picked another language; "Language" is already written.
    void languageChosen(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    SettingsStore& m_settings;
    Hooks m_hooks;
    PortComboBox* m_ports;
    QComboBox* m_languages;
    QCheckBox* m_comEnable;
};

} // namespace wendax::gui
