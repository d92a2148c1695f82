#include "main_form.h"

#include "about_box.h"
#include "command_routing.h"
#include "device_commands.h"
#include "device_window.h"
#include "device_windows.h"
#include "messages.h"
#include "settings_dialog.h"
#include "settings_store.h"
#include "tool_icons.h"
#include "user_dialogs.h"

#include "link/messages.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cassert>

namespace wendax::gui {
namespace {

constexpr QSize kFrameSize(800, 600);
constexpr int kLogHeight = 111;

struct PanelSpec {
    int width;
    Qt::Alignment alignment;
};
constexpr PanelSpec kPanels[] = {
    {300, Qt::AlignLeft | Qt::AlignVCenter},
    {40, Qt::AlignCenter},
    {80, Qt::AlignCenter},
    {50, Qt::AlignLeft | Qt::AlignVCenter},
};

/// The part of a hint before "|": the tool tip and the status-bar text.
QString shortHint(const QString& hint)
{
    return hint.section(QLatin1Char('|'), 0, 0);
}

} // namespace

TMainForm::TMainForm(FrameDependencies dependencies, QWidget* parent)
    : QMainWindow(parent)
    , m_deps(std::move(dependencies))
    , m_folders(m_deps.folders)
    , m_ownDialogs(m_deps.dialogs ? nullptr : std::make_unique<QtUserDialogs>(this))
    , m_dialogs(m_deps.dialogs ? m_deps.dialogs : m_ownDialogs.get())
    , m_settings(*m_deps.settings)
    , m_commands(m_deps.commands)
{
    setComponent(this, QStringLiteral("MainForm"), "TMainForm");
    setWindowTitle(msg::kFrameCaption);
    setFixedSize(kFrameSize);

    createActions();
    createMenus();
    createToolBar();
    createCentralArea();
    createStatusBar();

    // Frame creation, then the forms created after it, in the program's order.
    setStatusText(ConnectionPanel, QString::fromLatin1(wendax::msg::kDisconnected.data(),
                                                       static_cast<qsizetype>(wendax::msg::kDisconnected.size())));
    m_currentFileName = msg::kNoFileName;
    if (m_deps.applyLanguage)
        m_deps.applyLanguage(*this, QStringLiteral("Main.lng"));

    m_about = new TAboutBox(this);
    TForm2::Hooks hooks;
    hooks.listPorts = m_deps.listPorts ? m_deps.listPorts : &systemSerialPorts;
    hooks.applyComEnable = [this](bool enabled) {
        if (m_commands)
            m_commands->applyComEnable(enabled);
    };
    hooks.portOpen = [this] { return m_commands && m_commands->portOpen(); };
    hooks.logLine = [this](const QString& line) { logLine(line); };
    hooks.languageNames = [this] { return m_languageNames; };
    hooks.activeLanguage = [this] { return m_activeLanguage; };
    m_settingsDialog = new TForm2(m_settings, std::move(hooks), this);
    connect(m_settingsDialog, &TForm2::languageChosen, this, [this] {
        if (m_deps.applyLanguage)
            m_deps.applyLanguage(*this, QStringLiteral("Main.lng"));
    });
    m_progress = new TForm1(this);

    // The link reports to the dialogs above, so it comes after them; its HID
    // layer starts here and lives as long as the frame.
    if (m_commands == nullptr && m_deps.link) {
        m_ownLink = std::make_unique<FrameLinkCommands>(*this, m_settings, std::move(*m_deps.link));
        m_deps.link.reset();
        m_commands = m_ownLink.get();
    }
    enableLinkActions(true);

    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm()
{
    // Device windows call back into the frame while they close, and their
    // transfers leave the link as they go: both before the link does.
    closeDeviceWindows();
    // A closed window is only scheduled for deletion and no longer listed by
    // the area, so delete every device window there is now, listed or not.
    qDeleteAll(findChildren<DeviceWindow*>());
    m_ownLink.reset();
}

QAction* TMainForm::makeAction(const QString& name, const char* vclClass, const QString& caption, const QString& hint)
{
    auto* action = new QAction(caption, this);
    setComponent(action, name, vclClass);
    if (!hint.isEmpty()) {
        action->setProperty("hint", hint);
        action->setToolTip(shortHint(hint));
        action->setStatusTip(shortHint(hint));
    }
    return action;
}

void TMainForm::createActions()
{
    // Tool bar actions; the menu items below are components of their own.
    auto tool = [this](const char* name, const QString& caption, const QString& hint, ToolIcon icon, auto handler) {
        QAction* action = makeAction(QString::fromLatin1(name), "TAction", caption, hint);
        action->setIcon(toolIcon(icon));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    tool("FileOpen1", msg::kOpen, msg::kOpenHint, ToolIcon::Open, &TMainForm::FileOpen1Execute);
    tool("FileSave1", msg::kSave, msg::kSaveHint, ToolIcon::Save, &TMainForm::FileSave1Execute);
    m_linkActions = {
        tool("Connect1", msg::kConnectHint, {}, ToolIcon::Connect, &TMainForm::ToolButton10Click),
        tool("Disconnect1", msg::kDisconnectHint, {}, ToolIcon::Disconnect, &TMainForm::ToolButton11Click),
        tool("ReceiveConfig1", msg::kReceiveConfig, msg::kReceiveConfig, ToolIcon::Receive, &TMainForm::ReadDevice1Click),
        tool("SendConfig1", msg::kSendConfig, msg::kSendConfig, ToolIcon::Send, &TMainForm::ToolButton13Click),
        tool("Report1", msg::kReportHint, msg::kReportHint, ToolIcon::Report, &TMainForm::ToolButton14Click),
    };
}

void TMainForm::createMenus()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    menuBar()->setProperty("vclClass", QStringLiteral("TMainMenu"));
    auto submenu = [this](const char* name, const QString& caption, const QString& hint) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name) + QStringLiteral("Menu"));
        setComponent(menu->menuAction(), QString::fromLatin1(name), "TMenuItem");
        menu->menuAction()->setStatusTip(hint);
        return menu;
    };
    auto item = [this](QWidget* owner, const char* name, const QString& caption, const QString& hint, auto handler) {
        QAction* action = makeAction(QString::fromLatin1(name), "TMenuItem", caption, hint);
        owner->addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* file = submenu("File1", msg::kFileMenu, msg::kFileMenuHint);
    item(file, "Open1", msg::kOpen, msg::kOpenHint, &TMainForm::FileOpen1Execute)->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    item(file, "Close1", msg::kClose, msg::kCloseHint, &TMainForm::FileClose1Execute);
    item(file, "Save1", msg::kSave, msg::kSaveHint, &TMainForm::FileSave1Execute)->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    item(file, "SaveAs1", msg::kSaveAs, msg::kSaveAsHint, &TMainForm::FileSaveAs1Execute);
    file->addSeparator();
    m_linkActions.push_back(item(file, "ReadDevice1", msg::kReadDevice, {}, &TMainForm::ReadDevice1Click));
    m_linkActions.push_back(item(file, "WriteDevice1", msg::kWriteDevice, {}, &TMainForm::ToolButton13Click));
    file->addSeparator();
    item(file, "Exit1", msg::kExit, msg::kExitHint, &TMainForm::FileExit1Execute);

    item(menuBar(), "Setup1", msg::kSettingsMenu, {}, &TMainForm::Setup1Click);

    QMenu* devices = submenu("Devices1", msg::kDevicesMenu, {});
    for (const DeviceMenuEntry& entry : deviceMenuEntries()) {
        QAction* action = makeAction(QString::fromLatin1(entry.itemName), "TMenuItem", QString::fromLatin1(entry.caption), {});
        action->setCheckable(true);
        action->setVisible(entry.visible);
        devices->addAction(action);
        const Model model = entry.model;
        connect(action, &QAction::triggered, this, [this, model] { openDeviceWindow(model); });
        m_deviceItems.emplace_back(&entry, action);
    }
    resetDeviceItems();

    m_linkActions.push_back(item(menuBar(), "Update1", msg::kUpdateMenu, {}, &TMainForm::Update1Click));

    QMenu* help = submenu("Help1", msg::kHelpMenu, msg::kHelpMenuHint);
    item(help, "About1", msg::kAbout, msg::kAboutHint, &TMainForm::HelpAbout1Execute);
}

void TMainForm::createToolBar()
{
    auto* bar = addToolBar(QString());
    setComponent(bar, QStringLiteral("ToolBar1"), "TToolBar");
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    auto button = [this, bar](const char* actionName, const char* buttonName) {
        QAction* action = findChild<QAction*>(QString::fromLatin1(actionName), Qt::FindDirectChildrenOnly);
        assert(action != nullptr);
        bar->addAction(action);
        if (QWidget* widget = bar->widgetForAction(action))
            setComponent(widget, QString::fromLatin1(buttonName), "TToolButton");
    };
    button("FileOpen1", "ToolButton1");
    button("FileSave1", "ToolButton2");
    bar->addSeparator();
    button("Connect1", "ToolButton10");
    button("Disconnect1", "ToolButton11");
    bar->addSeparator();
    button("ReceiveConfig1", "ToolButton12");
    button("SendConfig1", "ToolButton13");
    bar->addSeparator();
    button("Report1", "ToolButton14");
}

void TMainForm::createCentralArea()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    m_mdi = new QMdiArea(central);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));

    m_log = new QPlainTextEdit(central);
    setComponent(m_log, QStringLiteral("RichEdit1"), "TRichEdit");
    m_log->setReadOnly(true);
    m_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_log->setFixedHeight(kLogHeight);
    m_log->setContextMenuPolicy(Qt::CustomContextMenu);
    m_log->installEventFilter(this);
    m_logView = std::make_unique<TerminalLogView>(*m_log);

    auto* popup = new QMenu(m_log);
    setComponent(popup, QStringLiteral("PopupMenu1"), "TPopupMenu");
    QAction* clear = makeAction(QStringLiteral("Clear1"), "TMenuItem", msg::kClear, {});
    popup->addAction(clear);
    connect(clear, &QAction::triggered, this, &TMainForm::Clear1Click);
    connect(m_log, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& at) { popup->popup(m_log->viewport()->mapToGlobal(at)); });

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_mdi, 1);
    layout->addWidget(m_log);
    setCentralWidget(central);
}

void TMainForm::createStatusBar()
{
    QStatusBar* bar = statusBar();
    setComponent(bar, QStringLiteral("StatusBar1"), "TStatusBar");
    bar->setSizeGripEnabled(false);
    for (std::size_t i = 0; i < std::size(kPanels); ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(kPanels[i].width);
        panel->setAlignment(kPanels[i].alignment);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(panel);
        m_panels[i] = panel;
    }
}

bool TMainForm::event(QEvent* event)
{
    // Hints go to the first panel; the bar's own message line would cover all four.
    if (event->type() == QEvent::StatusTip) {
        setStatusText(HintPanel, static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_log && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.size() == 1 && text.at(0).unicode() <= 0xFF)
            RichEdit1KeyPress(static_cast<char>(text.at(0).unicode()));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::RichEdit1KeyPress(char byte)
{
    emit keyTyped(byte);
    if (m_commands)
        m_commands->sendByte(byte);
}

// --- services ------------------------------------------------------------------

void TMainForm::logLine(const QString& line)
{
    if (FrameLink* link = frameLink())
        link->addLogLine(line.toStdString());
    else
        m_logView->apply({false, 0, 0, line.toStdString() + "\r\n"});
}

void TMainForm::markNoFile()
{
    m_currentFileName = msg::kNoFileName;
}

void TMainForm::setComEnable(bool enabled)
{
    m_settingsDialog->setComEnabled(enabled);
    if (m_commands)
        m_commands->applyComEnable(enabled);
}

void TMainForm::showProgress()
{
    m_progress->move(geometry().center() - m_progress->rect().center());
    m_progress->show();
}

void TMainForm::closeProgress()
{
    m_progress->hide();
}

FrameLink* TMainForm::frameLink()
{
    return m_ownLink ? &m_ownLink->link() : nullptr;
}

hid::HidLink* TMainForm::hidLink()
{
    return m_ownLink ? m_ownLink->hid() : nullptr;
}

void TMainForm::enableLinkActions(bool enabled)
{
    for (QAction* action : m_linkActions) {
        bool available = m_commands != nullptr;
        if (available && action->objectName() == QLatin1String("Update1"))
            available = m_commands->canUpdateFirmware();
        if (available && action->objectName() == QLatin1String("Report1"))
            available = m_commands->canPrintReport();
        action->setEnabled(enabled && available);
    }
}

void TMainForm::setTransferCommandsEnabled(bool enabled)
{
    enableConfigurationCommands(enabled);
    findChild<QAction*>(QStringLiteral("Update1"), Qt::FindDirectChildrenOnly)
        ->setEnabled(enabled && m_commands != nullptr && m_commands->canUpdateFirmware());
}

void TMainForm::enableConfigurationCommands(bool enabled)
{
    const bool available = m_commands != nullptr;
    for (const char* name : {"ReadDevice1", "WriteDevice1", "ReceiveConfig1", "SendConfig1"})
        findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly)->setEnabled(enabled && available);
}

void TMainForm::setStatusText(StatusPanel panel, const QString& text)
{
    // The port panel is as wide as a short port name ("COM3"): a device path
    // shows its end and carries the whole in its tool tip.
    QLabel* label = m_panels[panel];
    m_panelTexts[panel] = text;
    const QString shown =
        panel == PortPanel ? label->fontMetrics().elidedText(text, Qt::ElideLeft, label->contentsRect().width()) : text;
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

QString TMainForm::statusText(StatusPanel panel) const
{
    return m_panelTexts[panel];
}

void TMainForm::setLanguages(QStringList names, QString active)
{
    m_languageNames = std::move(names);
    m_activeLanguage = std::move(active);
}

DeviceWindow* TMainForm::activeDeviceWindow() const
{
    return m_window && !m_window->isClosed() ? m_window.data() : nullptr;
}

// --- file commands ------------------------------------------------------------------

void TMainForm::FileOpen1Execute()
{
    const QString path = m_dialogs->openFileName({m_folders.myConfig(), msg::kConfigFilter, {}, {}});
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dialogs->error(msg::fileUnreadable(path, file.errorString()));
        return;
    }
    // One byte more than the buffer holds tells a file that is too long,
    // whatever size the file system reports (devices and pipes report none).
    const QByteArray bytes = file.read(static_cast<qint64>(ConfigFileBuffer::kSize) + 1);
    if (file.error() != QFileDevice::NoError) {
        m_dialogs->error(msg::fileUnreadable(path, file.errorString()));
        return;
    }
    const auto fileBytes = std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    if (!m_files.load(fileBytes)) {
        m_dialogs->error(msg::fileTooLarge(path, std::max(file.size(), static_cast<qint64>(bytes.size())),
                                           static_cast<qint64>(ConfigFileBuffer::kSize)));
        return;
    }
    DeviceWindow* window = activeDeviceWindow();
    const CommandRoute* route = window ? routeFor(window->className().toStdString()) : nullptr;
    if (route == nullptr || !route->loadImage)
        return;
    const LoadResult result = window->LoadImage(m_files);
    if (!result.message.empty())
        m_dialogs->inform(QString::fromStdString(result.message));
}

void TMainForm::FileSave1Execute()
{
    saveConfiguration(m_currentFileName == msg::kNoFileName);
}

void TMainForm::FileSaveAs1Execute()
{
    saveConfiguration(true);
}

void TMainForm::saveConfiguration(bool askForName)
{
    // Without a window that encodes a configuration there is nothing to put in
    // the file; writing the buffer as it is would make a junk file.
    DeviceWindow* window = activeDeviceWindow();
    if (window == nullptr) {
        m_dialogs->error(msg::kNothingToSave);
        return;
    }
    const CommandRoute* route = routeFor(window->className().toStdString());
    if (route == nullptr || !route->saveImage) {
        m_dialogs->error(msg::kWindowHasNoFile);
        return;
    }
    QString path = m_currentFileName;
    if (askForName) {
        path = m_dialogs->saveFileName({m_folders.myConfig(), msg::kConfigFilter, msg::kConfigSuffix, m_currentFileName});
        if (path.isEmpty())
            return;
        if (QFileInfo::exists(path) && m_dialogs->askYesNoCancel(msg::kSaveOverwrite) != UserDialogs::Answer::Yes)
            return;
    }
    if (const auto error = window->SaveImage(m_files)) {
        m_dialogs->error(QString::fromStdString(*error));
        return;
    }
    if (!writeConfigurationFile(path, saveLengthFor(window->definition().model)))
        return;
    if (askForName)
        m_currentFileName = path;
}

bool TMainForm::writeConfigurationFile(const QString& path, std::size_t length)
{
    // Written aside and renamed over the old file: a crash or a full disk
    // leaves the old file whole.
    QSaveFile file(path);
    const auto head = m_files.head(length);
    const bool written = file.open(QIODevice::WriteOnly)
        && file.write(reinterpret_cast<const char*>(head.data()), static_cast<qint64>(head.size())) == static_cast<qint64>(head.size())
        && file.commit();
    if (!written)
        m_dialogs->error(msg::fileUnwritable(path, file.errorString()));
    return written;
}

void TMainForm::FileClose1Execute()
{
    if (m_subWindow)
        m_subWindow->close();
}

void TMainForm::FileExit1Execute()
{
    close();
}

void TMainForm::HelpAbout1Execute()
{
    m_about->exec();
}

void TMainForm::Setup1Click()
{
    m_settingsDialog->exec();
}

// --- device commands ------------------------------------------------------------

// Whether the read arms the window's ResponseTimeout is the link's to decide
// (the model's wire format); the routing table agrees with it.
void TMainForm::ReadDevice1Click()
{
    if (m_commands != nullptr)
        m_commands->readDevice(activeDeviceWindow());
}

void TMainForm::ToolButton13Click()
{
    DeviceWindow* window = activeDeviceWindow();
    const CommandRoute* route = window ? routeFor(window->className().toStdString()) : nullptr;
    if (m_commands != nullptr && route != nullptr && route->writeDevice)
        m_commands->writeDevice(*window);
}

void TMainForm::Update1Click()
{
    DeviceWindow* window = activeDeviceWindow();
    const CommandRoute* route = window ? routeFor(window->className().toStdString()) : nullptr;
    if (m_commands != nullptr && route != nullptr && route->firmwareUpdate)
        m_commands->startFirmwareUpdate(*window);
}

void TMainForm::ToolButton14Click()
{
    DeviceWindow* window = activeDeviceWindow();
    const CommandRoute* route = window ? routeFor(window->className().toStdString()) : nullptr;
    if (m_commands != nullptr && route != nullptr && route->printReport)
        m_commands->printReport(*window);
}

void TMainForm::ToolButton10Click()
{
    setComEnable(true);
}

void TMainForm::ToolButton11Click()
{
    setComEnable(false);
}

void TMainForm::Clear1Click()
{
    if (FrameLink* link = frameLink()) {
        link->clearLog();
        return;
    }
    LogChange cleared;
    cleared.cleared = true;
    m_logView->apply(cleared);
}

// --- device windows ------------------------------------------------------------

DeviceWindow* TMainForm::openDeviceWindow(Model model)
{
    const auto entries = deviceMenuEntries();
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.model == model; });
    if (entry == entries.end() || entry->create == nullptr)
        return nullptr;
    closeDeviceWindows();

    DeviceWindow* window = entry->create(*this, nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_subWindow = m_mdi->addSubWindow(window, Qt::FramelessWindowHint);
    m_window = window;
    connect(window, &DeviceWindow::closed, this, &TMainForm::deviceWindowClosed);
    // While a firmware file is armed the port belongs to the bootloader: a
    // configuration request sent into a record would reach the flash.
    connect(window, &DeviceWindow::firmwareModeChanged, this,
            [this](bool armed) { enableConfigurationCommands(!armed); });

    resetDeviceItems();
    for (auto& [itemEntry, action] : m_deviceItems) {
        if (itemEntry->model == model) {
            action->setChecked(true);
            action->setEnabled(false);
        }
    }
    // The language file first: it carries edit texts, and the default
    // configuration loaded next must win over them.
    if (entry->languageFile != nullptr && m_deps.applyLanguage)
        m_deps.applyLanguage(*window, QString::fromLatin1(entry->languageFile));
    window->initialise();
    if (FrameLink* link = frameLink())
        link->setActiveWindow(window->configTransfer());
    m_subWindow->showMaximized();
    m_mdi->setActiveSubWindow(m_subWindow);
    return window;
}

void TMainForm::closeDeviceWindows()
{
    if (m_mdi == nullptr)
        return;
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->close();
}

void TMainForm::deviceWindowClosed()
{
    if (sender() == m_window) {
        m_window = nullptr;
        // Received bytes go to the frame's token accumulator until another
        // window opens.
        if (FrameLink* link = frameLink())
            link->setActiveWindow(nullptr);
    }
    resetDeviceItems();
}

void TMainForm::resetDeviceItems()
{
    for (auto& [entry, action] : m_deviceItems) {
        action->setChecked(false);
        action->setEnabled(entry->create != nullptr);
    }
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    m_settings.WriteSetting(SettingsStore::kFileName, m_currentFileName);
    QMainWindow::closeEvent(event);
}

} // namespace wendax::gui
