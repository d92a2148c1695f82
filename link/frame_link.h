#pragma once
#include "clock.h"
#include "frame_services.h"
#include "response_token.h"
#include "rx_ring.h"
#include "terminal_log.h"
#include "transport.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace wendax {

class CfgThread;
class ConfigTransfer;

/// The image being received after "CFGDATASEND". The frame holds it for
/// every window; while `receiving` is set the log is not refreshed.
struct ImageReception {
    bool receiving = false;
    std::size_t count = 0;
};

/// The link state the frame window owns and the frame's link commands: the
/// port and its "COM enable" setting, block and byte sends, the receive path
/// (ring, terminal log, response token, drain into the active window), Read
/// Device, Write Device, the port-closing timer and the configuration
/// worker. Everything here runs on the GUI thread (the thread that made it);
/// the worker reaches it through queued calls.
class FrameLink : public QObject {
    Q_OBJECT

public:
    /// The largest chunk one receive event takes: the port's input buffer.
    static constexpr std::size_t kChunkLimit = 32768;

    FrameLink(FrameServices& services, Transport& transport, Clock& clock);
    ~FrameLink() override;

    FrameServices& services() { return m_services; }
    Clock& clock() { return m_clock; }

    // ---- The port ------------------------------------------------------
    /// The "COM" setting: the port that "COM enable" opens.
    void setComPort(std::string name) { m_comPort = std::move(name); }
    const std::string& comPort() const { return m_comPort; }
    /// SetComEnable: sets "COM enable" and makes the port follow it
    /// (ApplyComEnable). Returns false when the port should open and could
    /// not: the error was shown and "COM enable" stays "0".
    bool setComEnable(bool on);
    bool comEnable() const { return m_comEnable; }
    bool portOpen() const { return m_transport.isOpen(); }

    // ---- Sending (GUI thread) -----------------------------------------------
    /// SendBlock: 16-byte writes while 16 bytes remain, then single bytes;
    /// the Progress bar advances by every write. False after a failed write
    /// (its error was shown); bytes after it are not sent.
    bool sendBlock(std::span<const std::uint8_t> bytes);
    bool sendText(std::string_view text);
    /// SendByte: one byte at once (keys typed into the log, firmware record
    /// headers); the Progress bar does not move.
    bool sendByte(std::uint8_t b);

    // ---- Terminal log ---------------------------------------------------------
    const TerminalLog& terminalLog() const { return m_log; }
    void addLogLine(std::string_view line) { m_log.addLine(line); }
    /// "Clear".
    void clearLog() { m_log.clear(); }

    // ---- Receive path --------------------------------------------------------
    /// ComPort1RxChar with the bytes it read: ring, drain, log.
    void comPort1RxChar(std::span<const std::uint8_t> chunk);
    /// HidDataReceived: one HID input report's payload and its count field.
    void hidDataReceived(std::span<const std::uint8_t> bytes, std::int8_t length);
    /// HidTextReceived: a status text of the HID layer as a log line.
    void hidTextReceived(std::string_view text) { addLogLine(text); }
    /// DrainRxRing: every unread byte to the active window, or to the
    /// frame's token accumulator when no window is open.
    void drainRxRing();
    /// While a firmware file is armed the receive event does not drain; the
    /// firmware worker does. Bytes the ring cannot take then wait in the port.
    void setFirmwareArmed(bool armed) { m_firmwareArmed = armed; }
    RxRing& rxRing() { return m_ring; }
    ResponseToken& responseToken() { return m_token; }
    ImageReception& reception() { return m_reception; }
    bool receiveInProgress() const { return m_receiveInProgress; }

    // ---- Windows and commands ------------------------------------------------
    /// The device window that takes received bytes and the routed commands;
    /// nullptr when none is open. A reception in progress ends with a change.
    void setActiveWindow(ConfigTransfer* window);
    ConfigTransfer* activeWindow() const { return m_active; }
    /// Read Device.
    void readDevice();
    /// Write Device.
    void writeDevice();
    /// Timer1: 100 ms after a transfer it closes the port, once no receive
    /// event is being handled.
    void startPortClosingTimer();
    bool portClosingTimerActive() const { return m_portClosingTimer->isActive(); }
    /// True while a transfer can still change something: the worker runs, a
    /// timer of the frame or of the active window runs, or an image is being
    /// received.
    bool busy() const;

    // ---- Configuration worker -------------------------------------------------
    /// Starts CfgThread over `window`; the transfer-thread count becomes 1.
    void startCfgThread(ConfigTransfer& window);
    int transferThreadCount() const { return m_cfgThread || m_firmwareWorker ? 1 : 0; }
    /// The firmware worker counts as the frame's transfer thread while it runs.
    void setFirmwareWorkerRunning(bool running) { m_firmwareWorker = running; }
    /// The window the worker runs for, or nullptr.
    ConfigTransfer* cfgThreadWindow() const;
    /// Ends a running worker and waits for it, then does what its end does
    /// (commands enabled, port closed). For a window that closes meanwhile.
    void stopCfgThread();

signals:
    /// The configuration worker ended; the commands are enabled again and
    /// the port is closed.
    void cfgThreadEnded();

private:
    bool openSerialPort(const std::string& name);
    void showConnectionState();
    bool writeToPort(std::span<const std::uint8_t> bytes);
    bool writeWithProgress(std::span<const std::uint8_t> bytes);
    void onReadyRead();
    void scheduleRead();
    std::size_t pushReceived(std::span<const std::uint8_t> chunk);
    void timer1Timer();
    void onCfgThreadFinished();
    void finishCfgThread();

    FrameServices& m_services;
    Transport& m_transport;
    Clock& m_clock;
    std::string m_comPort = "COM1";
    bool m_comEnable = false;

    RxRing m_ring;
    TerminalLog m_log;
    ResponseToken m_token;
    ImageReception m_reception;
    std::string m_escaped; ///< reused for every chunk
    bool m_firmwareArmed = false;
    bool m_firmwareWorker = false;
    bool m_receiveInProgress = false;
    bool m_draining = false;
    int m_sending = 0;
    bool m_readPending = false;   ///< bytes wait in the port for a later read
    bool m_readScheduled = false;

    ConfigTransfer* m_active = nullptr;
    std::unique_ptr<Timer> m_portClosingTimer;
    std::unique_ptr<CfgThread> m_cfgThread;
};

} // namespace wendax
