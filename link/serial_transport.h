#pragma once
#include "transport.h"

#include <QSerialPort>

namespace wendax {

/// The serial port of the frame: 115200 baud, 8 data bits, no parity, one
/// stop bit, no flow control of any kind, DTR and RTS held inactive, 32768
/// bytes of receive buffer. Lives on and is used from the thread that made it
/// (the GUI thread); other threads hand bytes over with a queued call.
class SerialTransport final : public Transport {
public:
    static constexpr qint64 kBufferSize = 32768;
    static constexpr int kBaudRate = 115200;

    SerialTransport();

    std::string portName() const override;
    bool isOpen() const override { return m_port.isOpen(); }
    std::optional<std::string> open(const std::string& name) override;
    void close() override;
    std::optional<std::string> write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesAvailable() const override;
    std::vector<std::uint8_t> read(std::size_t limit) override;

private:
    QSerialPort m_port;
    /// The name as given: QSerialPort shortens "/dev/ttyUSB0" to "ttyUSB0".
    std::string m_name;
};

} // namespace wendax
