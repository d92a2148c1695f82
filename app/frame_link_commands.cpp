#include "frame_link_commands.h"

#include "about_box.h"
#include "device_window.h"
#include "main_form.h"
#include "settings_dialog.h"
#include "settings_store.h"
#include "terminal_log_view.h"
#include "user_dialogs.h"

#include "link/firmware/firmware_session.h"
#include "link/hid/hid_link.h"

#include <QProgressBar>

#include <QtGlobal>

namespace wendax::gui {
namespace {

QString qt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// ---- QtLinkServices -----------------------------------------------------------

void QtLinkServices::storeComEnable(bool on)
{
    m_settings.WriteSetting(SettingsStore::kComEnable, on ? QStringLiteral("1") : QStringLiteral("0"));
    m_frame.settingsDialog()->setComEnabled(on);
}

void QtLinkServices::setStatusPanel(int panel, std::string_view text)
{
    if (panel >= TMainForm::PortPanel && panel <= TMainForm::VersionPanel)
        m_frame.setStatusText(static_cast<TMainForm::StatusPanel>(panel), qt(text));
}

void QtLinkServices::logChanged(const LogChange& change)
{
    m_frame.logView().apply(change);
}

void QtLinkServices::showProgress(int maximum)
{
    QProgressBar* bar = m_frame.progressWindow()->progressBar();
    bar->setRange(0, maximum);
    bar->setValue(0);
    m_frame.showProgress();
}

void QtLinkServices::advanceProgress(int count)
{
    QProgressBar* bar = m_frame.progressWindow()->progressBar();
    bar->setValue(std::min(bar->value() + count, bar->maximum()));
}

void QtLinkServices::closeProgress()
{
    m_frame.closeProgress();
}

void QtLinkServices::setTransferCommandsEnabled(bool enabled)
{
    m_frame.setTransferCommandsEnabled(enabled);
}

void QtLinkServices::showMessage(const UserMessage& message)
{
    UserDialogs& dialogs = m_frame.dialogs();
    switch (message.kind) {
    case UserMessage::Kind::Information:
        dialogs.inform(qt(message.text));
        break;
    case UserMessage::Kind::Error:
        dialogs.error(qt(message.text), false);
        break;
    case UserMessage::Kind::ErrorAbort:
        dialogs.error(qt(message.text), true);
        break;
    }
}

// ---- FrameLinkCommands --------------------------------------------------------

FrameLinkCommands::FrameLinkCommands(TMainForm& frame, SettingsStore& settings, LinkOptions options)
    : m_settings(settings)
    , m_services(frame, settings)
    , m_ownClock(options.clock ? nullptr : std::make_unique<QtClock>())
    , m_clock(options.clock ? *options.clock : *m_ownClock)
    , m_link(m_services, m_transport, m_clock)
{
    if (options.hid) {
        m_hid = std::make_unique<hid::HidLink>(std::move(options.hid));
        connectHidToFrame(*m_hid, m_link);
        m_hid->start();
    }
}

FrameLinkCommands::~FrameLinkCommands() = default;

// "COM" is read each time the port is needed, as the Settings dialog's OK
// may have changed it since.
void FrameLinkCommands::usePortSetting()
{
    m_link.setComPort(m_settings.ReadSetting(SettingsStore::kCom).toStdString());
}

void FrameLinkCommands::readDevice(DeviceWindow* active)
{
    Q_ASSERT(m_link.activeWindow() == (active ? active->configTransfer() : nullptr));
    usePortSetting();
    m_link.readDevice();
}

void FrameLinkCommands::writeDevice(DeviceWindow& window)
{
    Q_ASSERT(m_link.activeWindow() == window.configTransfer());
    usePortSetting();
    m_link.writeDevice();
}

void FrameLinkCommands::startFirmwareUpdate(DeviceWindow& window)
{
    usePortSetting();
    window.StartFirmwareUpdate();
}

void FrameLinkCommands::printReport(DeviceWindow&) {}

void FrameLinkCommands::applyComEnable(bool enabled)
{
    usePortSetting();
    m_link.setComEnable(enabled);
}

void FrameLinkCommands::sendByte(char byte)
{
    m_link.sendByte(static_cast<std::uint8_t>(byte));
}

} // namespace wendax::gui
