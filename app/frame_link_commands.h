#pragma once
#include "device_commands.h"

#include "link/clock.h"
#include "link/hid/hid_device.h"
#include "link/frame_link.h"
#include "link/frame_services.h"
#include "link/serial_transport.h"

#include <memory>

namespace wendax::hid {
class HidLink;
} // namespace wendax::hid

namespace wendax::gui {

class SettingsStore;
class TMainForm;

/// How the frame's own link is built.
struct LinkOptions {
    /// The protocol's clock (its waits, time limits and timers); nullptr:
    /// real time. Tests pass a faster one.
    Clock* clock = nullptr;
    /// The devices of the HID layer; nullptr: the run has no HID layer.
    std::unique_ptr<hid::HidBackend> hid;
};

/// What the link asks of the frame, done with the frame's widgets: the log
/// pane, the status panels, the Progress window, the transfer commands, the
/// user's message boxes and the stored "COM enable" with the Settings
/// dialog's tick. GUI thread only.
class QtLinkServices final : public wendax::FrameServices {
public:
    QtLinkServices(TMainForm& frame, SettingsStore& settings) : m_frame(frame), m_settings(settings) {}

    void storeComEnable(bool on) override;
    void setStatusPanel(int panel, std::string_view text) override;
    void logChanged(const LogChange& change) override;
    void showProgress(int maximum) override;
    void advanceProgress(int count) override;
    void closeProgress() override;
    void setTransferCommandsEnabled(bool enabled) override;
    void showMessage(const UserMessage& message) override;

private:
    TMainForm& m_frame;
    SettingsStore& m_settings;
};

/// The frame's device commands over its own link: the serial port, the
/// configuration transfers of the device windows, and the HID layer, which
/// lives for the whole run. The port is the "COM" setting as it reads when
/// a command needs the port.
class FrameLinkCommands final : public DeviceCommands {
public:
    FrameLinkCommands(TMainForm& frame, SettingsStore& settings, LinkOptions options);
    ~FrameLinkCommands() override;

    FrameLink& link() { return m_link; }
    /// The HID layer, or nullptr in a run without one.
    hid::HidLink* hid() { return m_hid.get(); }

    void readDevice(DeviceWindow* active) override;
    void writeDevice(DeviceWindow& window) override;
    /// Update: the window's StartFirmwareUpdate on the port "COM" names now.
    void startFirmwareUpdate(DeviceWindow& window) override;
    /// No window with a report is built yet: canPrintReport() keeps the
    /// report button disabled.
    void printReport(DeviceWindow& window) override;
    bool canPrintReport() const override { return false; }
    void applyComEnable(bool enabled) override;
    bool portOpen() const override { return m_link.portOpen(); }
    bool receiveInProgress() const override { return m_link.receiveInProgress(); }
    void sendByte(char byte) override;

private:
    void usePortSetting();

    SettingsStore& m_settings;
    QtLinkServices m_services;
    std::unique_ptr<QtClock> m_ownClock;
    Clock& m_clock;
    SerialTransport m_transport;
    FrameLink m_link;
    std::unique_ptr<hid::HidLink> m_hid;
};

} // namespace wendax::gui
