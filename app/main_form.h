#pragma once
#include "frame_link_commands.h"
#include "frame_services.h"
#include "program_folders.h"
#include "terminal_log_view.h"

#include "core/config_file.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;

namespace wendax::gui {

class DeviceCommands;
class DeviceWindow;
class SettingsStore;
class TAboutBox;
class TForm1;
class TForm2;
class UserDialogs;
struct DeviceMenuEntry;

/// What the frame is built with. Only `settings` is required.
struct FrameDependencies {
    SettingsStore* settings = nullptr;
    ProgramFolders folders;
    /// nullptr: Qt dialogs owned by the frame.
    UserDialogs* dialogs = nullptr;
    /// Carries out the device commands (Read, Write, Update, connect,
    /// disconnect, report). nullptr: the frame's own link when `link` is set,
    /// else the commands stay disabled.
    DeviceCommands* commands = nullptr;
    /// Builds the frame's own link (the program; tests over a pseudo-terminal).
    std::optional<LinkOptions> link;
    /// The Settings dialog's port list; empty: the system's serial ports.
    std::function<QStringList()> listPorts;
    /// Applies a language file ("Main.lng", "N5.lng") to a window.
    std::function<void(QWidget& window, const QString& languageFile)> applyLanguage;
};

/// The frame window: menus, tool bar, the area that hosts one device window
/// at a time, the TerminalLog and the status panels. It owns the shared
/// configuration file buffer and the current file name, and routes every
/// command to the active device window by the window's class name.
class TMainForm final : public QMainWindow, public FrameServices {
    Q_OBJECT
public:
    enum StatusPanel { HintPanel = 0, PortPanel = 1, ConnectionPanel = 2, VersionPanel = 3 };

    explicit TMainForm(FrameDependencies dependencies, QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- frame services ------------------------------------------------------
    UserDialogs& dialogs() override { return *m_dialogs; }
    const ProgramFolders& folders() const override { return m_folders; }
    void logLine(const QString& line) override;
    void markNoFile() override;
    void setComEnable(bool enabled) override;
    void showProgress() override;
    void closeProgress() override;
    FrameLink* frameLink() override;
    hid::HidLink* hidLink() override;
    void setStatusText(StatusPanel panel, const QString& text);
    QString statusText(StatusPanel panel) const;

    // --- state ---------------------------------------------------------------
    /// The open device window, or nullptr.
    DeviceWindow* activeDeviceWindow() const;
    QString currentFileName() const { return m_currentFileName; }
    ConfigFileBuffer& files() { return m_files; }
    QPlainTextEdit* terminalLog() const { return m_log; }
    TerminalLogView& logView() { return *m_logView; }
    TForm2* settingsDialog() const { return m_settingsDialog; }
    TForm1* progressWindow() const { return m_progress; }
    TAboutBox* aboutBox() const { return m_about; }
    /// "Update", "Read Device", "Write Device" and the "receive config" and
    /// "send config" buttons, while a configuration worker runs.
    void setTransferCommandsEnabled(bool enabled);

    /// The language names of "Main.lng" and the active one, kept for the
    /// Settings dialog's language list.
    void setLanguages(QStringList names, QString active);
    QStringList languageNames() const { return m_languageNames; }
    QString activeLanguage() const { return m_activeLanguage; }

    // --- commands --------------------------------------------------------------
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileSaveAs1Execute();
    void FileClose1Execute();
    void FileExit1Execute();
    void HelpAbout1Execute();
    void ReadDevice1Click();
    void ToolButton13Click(); ///< Write Device
    void Update1Click();
    void ToolButton14Click(); ///< report
    void Setup1Click();
    void ToolButton10Click(); ///< connect
    void ToolButton11Click(); ///< disconnect
    void Clear1Click();
    /// A Devices menu item: closes the open window and opens the model's.
    DeviceWindow* openDeviceWindow(Model model);

signals:
    /// A character typed into the TerminalLog, to be sent to the port.
    void keyTyped(char byte);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createCentralArea();
    QAction* makeAction(const QString& name, const char* vclClass, const QString& caption, const QString& hint);
    void saveConfiguration(bool askForName);
    bool writeConfigurationFile(const QString& path, std::size_t length);
    void closeDeviceWindows();
    void deviceWindowClosed();
    void resetDeviceItems();
    void RichEdit1KeyPress(char byte);
    void enableLinkActions(bool enabled);
    /// Read Device and Write Device with their tool buttons.
    void enableConfigurationCommands(bool enabled);

    FrameDependencies m_deps;
    ProgramFolders m_folders;
    std::unique_ptr<UserDialogs> m_ownDialogs;
    UserDialogs* m_dialogs;
    SettingsStore& m_settings;
    DeviceCommands* m_commands;

    ConfigFileBuffer m_files;
    QString m_currentFileName;
    QStringList m_languageNames;
    QString m_activeLanguage;

    QMdiArea* m_mdi = nullptr;
    QPlainTextEdit* m_log = nullptr;
    std::unique_ptr<TerminalLogView> m_logView;
    QLabel* m_panels[4] = {};
    QString m_panelTexts[4];
    QPointer<DeviceWindow> m_window;
    QPointer<QMdiSubWindow> m_subWindow;
    std::vector<std::pair<const DeviceMenuEntry*, QAction*>> m_deviceItems;
    /// Actions that need DeviceCommands; disabled without them.
    std::vector<QAction*> m_linkActions;

    TAboutBox* m_about = nullptr;
    TForm2* m_settingsDialog = nullptr;
    TForm1* m_progress = nullptr;

    /// Made last and destroyed first: it reports to the widgets above.
    std::unique_ptr<FrameLinkCommands> m_ownLink;
};

} // namespace wendax::gui
