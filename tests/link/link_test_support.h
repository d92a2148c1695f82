#pragma once
#include "link/clock.h"
#include "link/frame_services.h"
#include "link/transport.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wendax::test {

/// Frame services that remember everything the link asked for.
class RecordingServices : public QObject, public FrameServices {
    Q_OBJECT

public:
    explicit RecordingServices(const Clock* clock = nullptr) : m_clock(clock) {}

    void storeComEnable(bool on) override;
    void setStatusPanel(int panel, std::string_view text) override;
    void logChanged(const LogChange& change) override;
    void showProgress(int maximum) override;
    void advanceProgress(int count) override;
    void closeProgress() override;
    void setTransferCommandsEnabled(bool enabled) override;
    void showMessage(const UserMessage& message) override;

    std::vector<std::string> messageTexts() const;
    bool shown(std::string_view text) const;

    std::vector<bool> comEnableStored;
    std::array<std::string, 4> panels;
    std::string logMirror; ///< the log as a view that applies every change shows it
    std::vector<UserMessage> messages;
    std::vector<Milliseconds> messageTimes; ///< the clock's now() at each message
    int progressMaximum = -1;
    int progress = 0;
    bool progressShown = false;
    bool commandsEnabled = true;
    std::vector<bool> commandStates;
    /// Panel 3 texts and messages in the order they came.
    std::vector<std::string> history;
    /// Runs inside showMessage, as a modal box would run the event loop.
    std::function<void(const UserMessage&)> whileShowing;

signals:
    void changed();

private:
    const Clock* m_clock;
};

/// A port without a device: writes are recorded, received bytes are given
/// by the test.
class FakeTransport final : public Transport {
public:
    std::string portName() const override { return m_name; }
    bool isOpen() const override { return m_open; }
    std::optional<std::string> open(const std::string& name) override;
    void close() override { m_open = false; }
    std::optional<std::string> write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesAvailable() const override { return m_incoming.size(); }
    std::vector<std::uint8_t> read(std::size_t limit) override;

    /// Bytes arrive from the device; the link hears of it at once.
    void deliver(std::span<const std::uint8_t> bytes);
    void deliver(std::string_view text);

    std::vector<std::vector<std::uint8_t>> writes;
    std::optional<std::string> openFailure;

private:
    std::string m_name;
    bool m_open = false;
    std::deque<std::uint8_t> m_incoming;
};

std::vector<std::uint8_t> bytes(std::string_view text);

/// Runs the event loop until `done` holds or `boundMs` has passed.
bool waitUntil(const std::function<bool()>& done, int boundMs = 5000);

} // namespace wendax::test
