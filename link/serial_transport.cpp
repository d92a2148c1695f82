#include "serial_transport.h"

#include <QLoggingCategory>

namespace wendax {
namespace {

Q_LOGGING_CATEGORY(lcSerial, "wendax.link.serial", QtWarningMsg)

// A write that the port has not accepted within this time has failed: at
// 115200 baud a whole 32768-byte buffer drains in under 3 s.
constexpr int kWriteTimeoutMs = 10000;

} // namespace

SerialTransport::SerialTransport()
{
    QObject::connect(&m_port, &QSerialPort::readyRead, [this] { notifyReadyRead(); });
}

std::string SerialTransport::portName() const
{
    return m_name;
}

std::optional<std::string> SerialTransport::open(const std::string& name)
{
    if (m_port.isOpen())
        m_port.close();
    m_name = name;
    m_port.setPortName(QString::fromStdString(name));
    m_port.setBaudRate(kBaudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(kBufferSize);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const std::string reason = m_port.errorString().toStdString();
        m_port.clearError();
        return reason;
    }
    // Modem lines are not part of the link. Ports without them (pseudo-
    // terminals, some adapters) refuse these calls, which changes nothing.
    if (!m_port.setDataTerminalReady(false) || !m_port.setRequestToSend(false)) {
        qCDebug(lcSerial) << "modem lines not settable on" << m_port.portName() << m_port.errorString();
        m_port.clearError();
    }
    return std::nullopt;
}

void SerialTransport::close()
{
    m_port.close();
}

std::optional<std::string> SerialTransport::write(std::span<const std::uint8_t> bytes)
{
    if (!m_port.isOpen())
        return std::string("the port is not open");
    const auto size = static_cast<qint64>(bytes.size());
    if (m_port.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        const std::string reason = m_port.errorString().toStdString();
        m_port.clearError();
        return reason;
    }
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(kWriteTimeoutMs)) {
            const std::string reason = m_port.errorString().toStdString();
            m_port.clearError();
            return reason;
        }
    }
    return std::nullopt;
}

std::size_t SerialTransport::bytesAvailable() const
{
    return static_cast<std::size_t>(m_port.bytesAvailable());
}

std::vector<std::uint8_t> SerialTransport::read(std::size_t limit)
{
    std::vector<std::uint8_t> bytes(std::min(limit, bytesAvailable()));
    const qint64 got = m_port.read(reinterpret_cast<char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

} // namespace wendax
