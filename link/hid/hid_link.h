#pragma once
#include "bounded_writer.h"
#include "hid_device.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace wendax::hid {

inline constexpr std::string_view kUsbDeviceFound = "USB Device found";
inline constexpr std::string_view kUsbDeviceRemoved = "USB Device removed";

/// The HID layer of the frame: lives for the whole run whatever window is
/// open, follows the bootloader's arrival and removal, reads its input reports
/// on its own thread (HIDrx) and writes blocks as output reports.
///
/// Arrival and removal are found by polling the device list (once a second by
/// default) rather than through system notifications: it works the same on
/// every platform and needs no window. Only the bootloader's own removal
/// closes it; other HID devices coming and going do not.
///
/// Create, call and destroy it on the GUI thread; its signals arrive there.
class HidLink : public QObject {
    Q_OBJECT
public:
    /// How long one output report may take: 500 ms, then 1000 ms more.
    static constexpr std::chrono::milliseconds kReportWriteLimit{1500};

    explicit HidLink(std::unique_ptr<HidBackend> backend, std::chrono::milliseconds presencePoll = std::chrono::seconds(1),
                     QObject* parent = nullptr, std::chrono::milliseconds reportWriteLimit = kReportWriteLimit);
    ~HidLink() override;

    /// Opens the device if present (silently, as at start-up), starts the
    /// receive thread and the presence poll.
    void start();

    bool isOpen() const;

    /// Sends a block as output reports of the device's report length; dropped
    /// silently while the device is closed. Each report may take the report
    /// write limit; returns false when one was refused or took longer (the
    /// rest of the block is not sent then).
    bool write(std::span<const std::uint8_t> bytes);
    bool writeText(std::string_view text);

    /// Checks the device list once (the poll's step, public for tests).
    void checkPresence();

signals:
    /// A status text for the log ("USB Device found", "USB Device removed").
    void textReceived(const QString& text);
    /// One input report: its 63 payload bytes and its length byte as a
    /// signed value; the frame checks the length.
    void reportReceived(const QByteArray& payload, int length);

private:
    void receiveLoop();
    void closeDevice();
    std::shared_ptr<HidDevice> device() const;

    std::unique_ptr<HidBackend> m_backend;
    std::chrono::milliseconds m_reportWriteLimit;
    QTimer m_presenceTimer;
    mutable std::mutex m_mutex; // guards m_device; the calls on it run unlocked
    std::condition_variable m_deviceChanged;
    std::shared_ptr<HidDevice> m_device;
    std::atomic<bool> m_stop{false};
    std::thread m_receiver;
    BoundedWriter m_writer; // last: its thread ends before the device goes
};

} // namespace wendax::hid
