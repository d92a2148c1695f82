#include "hid_link.h"

#include "hid_reports.h"

#include <QMetaObject>

#include <array>

namespace wendax::hid {
namespace {
// How long one read waits; a report that arrives returns it at once.
constexpr int kReadWaitMs = 20;
} // namespace

HidLink::HidLink(std::unique_ptr<HidBackend> backend, std::chrono::milliseconds presencePoll, QObject* parent,
                 std::chrono::milliseconds reportWriteLimit)
    : QObject(parent)
    , m_backend(std::move(backend))
    , m_reportWriteLimit(reportWriteLimit)
{
    m_presenceTimer.setInterval(presencePoll);
    connect(&m_presenceTimer, &QTimer::timeout, this, &HidLink::checkPresence);
}

HidLink::~HidLink()
{
    m_stop.store(true);
    m_deviceChanged.notify_all();
    if (m_receiver.joinable())
        m_receiver.join();
}

void HidLink::start()
{
    if (auto opened = m_backend->open(kVendorId, kProductId)) {
        std::lock_guard lock(m_mutex);
        m_device = std::move(opened);
    }
    if (!m_receiver.joinable())
        m_receiver = std::thread([this] { receiveLoop(); });
    m_deviceChanged.notify_all();
    m_presenceTimer.start();
}

bool HidLink::isOpen() const
{
    return device() != nullptr;
}

std::shared_ptr<HidDevice> HidLink::device() const
{
    std::lock_guard lock(m_mutex);
    return m_device;
}

bool HidLink::write(std::span<const std::uint8_t> bytes)
{
    const auto target = device();
    if (!target)
        return true;
    for (auto& report : splitIntoOutputReports(bytes, target->outputReportLength())) {
        const bool written = m_writer.run([target, report = std::move(report)] { return target->writeReport(report); },
                                          m_reportWriteLimit);
        if (!written)
            return false;
    }
    return true;
}

bool HidLink::writeText(std::string_view text)
{
    return write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

void HidLink::checkPresence()
{
    const bool present = m_backend->present(kVendorId, kProductId);
    if (present && !isOpen()) {
        auto opened = m_backend->open(kVendorId, kProductId);
        if (!opened)
            return;
        {
            std::lock_guard lock(m_mutex);
            m_device = std::move(opened);
        }
        m_deviceChanged.notify_all();
        emit textReceived(QString::fromLatin1(kUsbDeviceFound.data(), static_cast<qsizetype>(kUsbDeviceFound.size())));
    } else if (!present && isOpen()) {
        closeDevice();
    }
}

void HidLink::closeDevice()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_device)
            return;
        m_device.reset();
    }
    m_deviceChanged.notify_all();
    emit textReceived(QString::fromLatin1(kUsbDeviceRemoved.data(), static_cast<qsizetype>(kUsbDeviceRemoved.size())));
}

void HidLink::receiveLoop()
{
    std::array<std::uint8_t, kInputReportSize> report{};
    while (!m_stop.load()) {
        std::shared_ptr<HidDevice> target;
        {
            std::unique_lock lock(m_mutex);
            m_deviceChanged.wait(lock, [this] { return m_stop.load() || m_device != nullptr; });
            target = m_device;
        }
        if (!target)
            continue;
        report.fill(0);
        const int read = target->readReport(report, kReadWaitMs);
        if (read < 0) {
            // The device went away under the read: close it on the GUI thread,
            // and wait there for it to be replaced rather than spin on it.
            QMetaObject::invokeMethod(this, [this, target] {
                if (device() == target)
                    closeDevice();
            }, Qt::QueuedConnection);
            std::unique_lock lock(m_mutex);
            m_deviceChanged.wait(lock, [&] { return m_stop.load() || m_device != target; });
            continue;
        }
        if (read == 0)
            continue;
        const QByteArray payload(reinterpret_cast<const char*>(report.data() + 2), kInputPayloadSize);
        const int length = inputReportLength(report);
        QMetaObject::invokeMethod(this, [this, payload, length] { emit reportReceived(payload, length); },
                                  Qt::QueuedConnection);
    }
}

} // namespace wendax::hid
