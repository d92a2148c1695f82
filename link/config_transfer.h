#pragma once
#include "clock.h"
#include "image_codec.h"
#include "wire_format.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wendax {

class CfgThread;
class FrameLink;

/// What the configuration transfer shows in a device window besides the
/// image: MT43 and MT6 show the panel's clock in their panel time label,
/// N14 the device's MAC address in its MAC address field.
struct WindowCallbacks {
    std::function<void(const std::string&)> showPanelTime;
    std::function<void(const std::string&)> showMacAddress;
};

enum class StepResult { Continue, EndWorker };

/// The configuration protocol of one device window: ReceiveByte, Write
/// Device, TransferStep, the ResponseTimeout and the panel clock. The window
/// owns one beside its form; the frame routes received bytes and its
/// commands to the active one. GUI thread, except transferStep() and the
/// two flags, which the worker reads.
class ConfigTransfer {
public:
    ConfigTransfer(FrameLink& frame, ImageCodec& codec, WindowCallbacks callbacks = {});
    /// Leaves the frame: no longer active, and a worker running for this
    /// window is ended first.
    ~ConfigTransfer();

    ConfigTransfer(const ConfigTransfer&) = delete;
    ConfigTransfer& operator=(const ConfigTransfer&) = delete;

    const WireFormat& format() const { return m_format; }
    ImageCodec& codec() { return m_codec; }

    /// ReceiveByte: image reception, version capture, six-byte captures,
    /// then the response token and the word it completes.
    void receiveByte(std::uint8_t b);

    /// WriteDevice: encodes and sends the image as the model does, on this
    /// thread (N5, RX8, MT43) or through the configuration worker (MT6, N14).
    /// An image that cannot be encoded is not sent: its message is shown.
    void writeDevice();

    /// TransferStep, on the configuration worker's thread.
    StepResult transferStep(CfgThread& worker);

    void startResponseTimeout();
    void stopResponseTimeout();
    bool responseTimeoutActive() const;

    /// "Set Panel Timer" and "Read Panel Timer" (models with a panel clock).
    void setPanelTimer();
    void readPanelTimer();
    /// The window's clock timer: 1000 ms, then it closes the port. Also
    /// started when an MT43 or MT6 window opens.
    void startClockTimer();
    bool clockTimerActive() const;

    /// The bootloader side of ReceiveByte: a completed word that is no
    /// configuration word goes to `handler`, which returns true when it took
    /// the word; the token then closes. Empty to stop handing words over.
    void setBootloaderWords(std::function<bool(std::string_view)> handler) { m_bootloaderWords = std::move(handler); }

    /// The CfgOK-seen and write-error flags: set here on the GUI thread,
    /// cleared and read by the worker.
    bool cfgOkSeen() const { return m_cfgOkSeen.load(); }
    bool writeErrorSeen() const { return m_writeError.load(); }

private:
    void receiveImageByte(std::uint8_t b);
    void completeImage();
    void captureVersion(std::uint8_t b);
    void captureSixBytes(std::uint8_t b);
    void stepToken(std::uint8_t b);
    void act(WordAction action);
    void endWriteWithError(bool setFlag);
    void onResponseTimeout();

    void writeN5();
    void writeTwoParts();
    void startWorkerWrite();
    StepResult mt6Step(CfgThread& worker);
    StepResult n14Step(CfgThread& worker);
    bool awaitCfgOk(CfgThread& worker, Milliseconds limit);
    StepResult failWorkerWrite(CfgThread& worker);
    StepResult abandonWorkerWrite(CfgThread& worker);
    void clearWriteFlags();

    enum class Capture { None, SystemTime, MacAddress };

    FrameLink& m_frame;
    ImageCodec& m_codec;
    WindowCallbacks m_callbacks;
    std::function<bool(std::string_view)> m_bootloaderWords;
    const WireFormat& m_format;

    std::vector<std::uint8_t> m_received; ///< the receive area, format.readSize() bytes
    bool m_capturingVersion = false;
    std::string m_version;
    Capture m_capture = Capture::None;
    std::array<std::uint8_t, 6> m_captured{};
    std::size_t m_capturedCount = 0;

    std::atomic<bool> m_cfgOkSeen{false};
    std::atomic<bool> m_writeError{false};
    /// The encoded image the worker sends; the window's own image stays
    /// plain and untouched while the worker enciphers this copy.
    std::vector<std::uint8_t> m_outgoing;

    std::unique_ptr<Timer> m_responseTimeout;
    std::unique_ptr<Timer> m_clockTimer;
};

} // namespace wendax
