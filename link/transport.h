#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wendax {

/// The byte link to a device as the frame uses it: one port that is opened by
/// name with the line settings of the devices, written in blocking calls and
/// read when it reports waiting bytes. Used from the thread that created it.
class Transport {
public:
    virtual ~Transport() = default;

    /// The name of the port the transport was last opened with ("" before).
    virtual std::string portName() const = 0;
    virtual bool isOpen() const = 0;
    /// Takes `name` as the port and opens it with the line settings. Returns
    /// nullopt when open, else the reason it could not be opened (the port
    /// then stays closed).
    virtual std::optional<std::string> open(const std::string& name) = 0;
    virtual void close() = 0;
    /// Hands `bytes` to the port in one write call and returns once the port
    /// has accepted them all. nullopt on success, else the reason.
    virtual std::optional<std::string> write(std::span<const std::uint8_t> bytes) = 0;
    /// Bytes received and not read yet.
    virtual std::size_t bytesAvailable() const = 0;
    /// Takes up to `limit` received bytes, oldest first.
    virtual std::vector<std::uint8_t> read(std::size_t limit) = 0;

    /// Called whenever bytes have arrived; possibly from inside write().
    void setReadyReadHandler(std::function<void()> handler) { m_readyRead = std::move(handler); }

protected:
    void notifyReadyRead()
    {
        if (m_readyRead)
            m_readyRead();
    }

private:
    std::function<void()> m_readyRead;
};

} // namespace wendax
