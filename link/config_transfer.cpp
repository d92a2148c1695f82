#include "config_transfer.h"

#include "cfg_thread.h"
#include "frame_link.h"
#include "messages.h"
#include "response_token.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace wendax {

using namespace std::chrono_literals;

namespace {

constexpr auto kClockTimerPeriod = 1000ms;
constexpr auto kMt6PartLimit = 2000ms;
constexpr auto kN14Limit = 4000ms;
constexpr auto kPollPeriod = 10ms;

UserMessage information(std::string_view text)
{
    return {UserMessage::Kind::Information, std::string(text)};
}

UserMessage abortError(std::string_view text)
{
    return {UserMessage::Kind::ErrorAbort, std::string(text)};
}

std::string formatSystemTime(const std::array<std::uint8_t, 6>& b)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u/%02u/%02u %02u:%02u:%02u", unsigned{b[0]}, unsigned{b[1]}, unsigned{b[2]},
                  unsigned{b[3]}, unsigned{b[4]}, unsigned{b[5]});
    return text;
}

std::string formatMacAddress(const std::array<std::uint8_t, 6>& b)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", unsigned{b[0]}, unsigned{b[1]}, unsigned{b[2]},
                  unsigned{b[3]}, unsigned{b[4]}, unsigned{b[5]});
    return text;
}

std::vector<std::uint8_t> commandWithPart(std::size_t part)
{
    std::vector<std::uint8_t> command(wire::kCfgData.begin(), wire::kCfgData.end());
    command.push_back(static_cast<std::uint8_t>(0x02 + part));
    return command;
}

} // namespace

ConfigTransfer::ConfigTransfer(FrameLink& frame, ImageCodec& codec, WindowCallbacks callbacks)
    : m_frame(frame)
    , m_codec(codec)
    , m_callbacks(std::move(callbacks))
    , m_format(wireFormat(codec.model()))
    , m_received(m_format.readSize(), 0)
    , m_responseTimeout(frame.clock().createTimer("ResponseTimeout", false, [this] { onResponseTimeout(); }))
    , m_clockTimer(frame.clock().createTimer("clock timer", false, [this] { m_frame.setComEnable(false); }))
{
}

ConfigTransfer::~ConfigTransfer()
{
    if (m_frame.cfgThreadWindow() == this)
        m_frame.stopCfgThread();
    if (m_frame.activeWindow() == this)
        m_frame.setActiveWindow(nullptr);
}

// ---- ReceiveByte -----------------------------------------------------------------

void ConfigTransfer::receiveByte(std::uint8_t b)
{
    receiveImageByte(b);
    captureVersion(b);
    captureSixBytes(b);
    stepToken(b);
}

void ConfigTransfer::receiveImageByte(std::uint8_t b)
{
    ImageReception& reception = m_frame.reception();
    if (!reception.receiving || reception.count >= m_received.size())
        return;
    m_received[reception.count++] = b;
    if (reception.count == m_received.size())
        completeImage();
}

void ConfigTransfer::completeImage()
{
    FrameServices& services = m_frame.services();
    services.closeProgress();
    stopResponseTimeout();
    m_frame.reception().receiving = false;
    if (m_format.logsReceivedLine)
        m_frame.addLogLine(msg::kConfigurationWasReceived);
    if (auto plain = checkReceivedImage(m_format, m_received)) {
        std::copy(plain->begin(), plain->end(), m_codec.image().begin());
        m_codec.decodeImage();
        services.showMessage(information(msg::kConfigurationWasReceived));
    } else {
        services.showMessage(information(msg::kInvalidData));
    }
    m_frame.startPortClosingTimer();
}

void ConfigTransfer::captureVersion(std::uint8_t b)
{
    if (!m_capturingVersion)
        return;
    if (b < 0x21 || b > 0x7F || m_version.size() == wire::kVersionLimit) {
        m_capturingVersion = false;
        m_frame.services().setStatusPanel(3, m_version);
        return;
    }
    m_version += static_cast<char>(b);
}

void ConfigTransfer::captureSixBytes(std::uint8_t b)
{
    if (m_capture == Capture::None)
        return;
    m_captured[m_capturedCount++] = b;
    if (m_capturedCount < m_captured.size())
        return;
    const Capture done = std::exchange(m_capture, Capture::None);
    if (done == Capture::SystemTime) {
        if (m_callbacks.showPanelTime)
            m_callbacks.showPanelTime(formatSystemTime(m_captured));
        m_clockTimer->stop();
        m_frame.startPortClosingTimer();
    } else if (m_callbacks.showMacAddress) {
        m_callbacks.showMacAddress(formatMacAddress(m_captured));
    }
}

void ConfigTransfer::stepToken(std::uint8_t b)
{
    ResponseToken& token = m_frame.responseToken();
    if (const auto text = token.append(b, ResponseToken::kWindowLimit)) {
        if (const auto action = wordAction(m_format.model, *text)) {
            act(*action);
            return;
        }
        if (m_bootloaderWords && m_bootloaderWords(*text)) {
            token.close();
            return;
        }
    }
    token.settle(b, ResponseToken::kWindowLimit);
}

void ConfigTransfer::act(WordAction action)
{
    FrameServices& services = m_frame.services();
    ResponseToken& token = m_frame.responseToken();
    switch (action) {
    case WordAction::StartVersionCapture:
        if (!m_capturingVersion) {
            m_capturingVersion = true;
            m_version.clear();
        }
        break;
    case WordAction::BeginImage:
        token.close();
        m_frame.reception().count = 0;
        // A window without an image (PL3) has nothing to receive: setting the
        // flag would stop the log from refreshing until another window's
        // reception ends.
        if (!m_received.empty())
            m_frame.reception().receiving = true;
        m_frame.addLogLine(m_format.receivingLine);
        break;
    case WordAction::CfgOkCompletesWrite:
        services.closeProgress();
        stopResponseTimeout();
        services.showMessage(information(msg::kConfigurationWasSent));
        m_frame.startPortClosingTimer();
        break;
    case WordAction::CfgOkSetsFlag:
        token.close();
        m_cfgOkSeen.store(true);
        break;
    case WordAction::CfgOkStopsTimeoutSetsFlag:
        stopResponseTimeout();
        token.close();
        m_cfgOkSeen.store(true);
        break;
    case WordAction::WriteErrorEndsWrite:
        endWriteWithError(false);
        break;
    case WordAction::WriteErrorEndsWriteSetsFlag:
        endWriteWithError(true);
        break;
    case WordAction::WriteErrorSetsFlag:
        token.close();
        m_frame.addLogLine(msg::kWriteErrorLogLine);
        services.showMessage(abortError(msg::kWriteERROR));
        m_writeError.store(true);
        break;
    case WordAction::CaptureSystemTime:
    case WordAction::CaptureMacAddress:
        token.close();
        m_capture = action == WordAction::CaptureSystemTime ? Capture::SystemTime : Capture::MacAddress;
        m_capturedCount = 0;
        break;
    }
}

void ConfigTransfer::endWriteWithError(bool setFlag)
{
    m_frame.services().closeProgress();
    stopResponseTimeout();
    m_frame.responseToken().close();
    m_frame.addLogLine(msg::kWriteErrorLogLine);
    m_frame.services().showMessage(abortError(msg::kWriteERROR));
    if (setFlag)
        m_writeError.store(true);
}

// ---- ResponseTimeout and clock timer ------------------------------------------------

void ConfigTransfer::startResponseTimeout()
{
    m_responseTimeout->start(m_format.responseTimeout);
}

void ConfigTransfer::stopResponseTimeout()
{
    m_responseTimeout->stop();
}

bool ConfigTransfer::responseTimeoutActive() const
{
    return m_responseTimeout->isActive();
}

// An image cut off by the timeout ends its reception too, so the log
// refreshes again and a later chunk is not taken for image bytes.
void ConfigTransfer::onResponseTimeout()
{
    m_frame.setComEnable(false);
    m_frame.reception().receiving = false;
    m_frame.services().showMessage(abortError(msg::kDeviceNotResponding));
    m_frame.services().closeProgress();
}

void ConfigTransfer::startClockTimer()
{
    m_clockTimer->start(kClockTimerPeriod);
}

bool ConfigTransfer::clockTimerActive() const
{
    return m_clockTimer->isActive();
}

void ConfigTransfer::setPanelTimer()
{
    if (!m_format.hasPanelClock)
        return;
    const LocalTime t = m_frame.clock().localTime();
    if (!m_frame.setComEnable(true))
        return;
    m_frame.clock().wait(100ms);
    std::vector<std::uint8_t> command(wire::kSetTimer.begin(), wire::kSetTimer.end());
    for (const int value : {t.year - 2000, t.month, t.day, t.hour, t.minute, t.second})
        command.push_back(static_cast<std::uint8_t>(value));
    if (m_frame.sendBlock(command))
        m_frame.startPortClosingTimer();
}

void ConfigTransfer::readPanelTimer()
{
    if (!m_format.hasPanelClock || !m_frame.setComEnable(true))
        return;
    m_frame.clock().wait(100ms);
    if (m_frame.sendText(wire::kGetTimer))
        startClockTimer();
}

// ---- Write Device ---------------------------------------------------------------------

void ConfigTransfer::writeDevice()
{
    switch (m_format.writeKind) {
    case WriteKind::None:
        return;
    case WriteKind::N5:
        return writeN5();
    case WriteKind::TwoParts:
        return writeTwoParts();
    case WriteKind::Mt6:
    case WriteKind::N14:
    case WriteKind::Nothing:
        return startWorkerWrite();
    }
}

void ConfigTransfer::writeN5()
{
    FrameServices& services = m_frame.services();
    if (auto error = m_codec.encodeImage()) {
        services.showMessage({UserMessage::Kind::Error, *error});
        return;
    }
    services.showProgress(m_format.progressMaximum);
    const auto block = encipheredPartWithCrc(m_format.model, m_codec.image());
    Clock& clock = m_frame.clock();
    const bool sent = m_frame.sendText(wire::kExit) && m_frame.sendText(wire::kCfgData)
        && (clock.wait(50ms), m_frame.sendBlock(block));
    if (!sent) {
        services.closeProgress();
        return;
    }
    clock.wait(100ms);
    startResponseTimeout();
    clock.wait(100ms);
}

// Plain bytes 4096-4097 (the first two of part 2) carry no setting: part 2
// goes out with the C16 of enciphered part 1 in them.
void ConfigTransfer::writeTwoParts()
{
    FrameServices& services = m_frame.services();
    if (auto error = m_codec.encodeImage()) {
        services.showMessage({UserMessage::Kind::Error, *error});
        return;
    }
    services.showProgress(m_format.progressMaximum);
    const auto image = m_codec.image();
    const auto first = encipheredPartWithCrc(m_format.model, image.first(wire::kPartSize));
    std::vector<std::uint8_t> secondPlain(image.begin() + wire::kPartSize, image.begin() + 2 * wire::kPartSize);
    std::copy_n(first.end() - 2, 2, secondPlain.begin());
    const auto second = encipheredPartWithCrc(m_format.model, secondPlain);

    Clock& clock = m_frame.clock();
    bool sent = m_frame.sendText(wire::kExit) && m_frame.sendText(wire::kCfgData1)
        && (clock.wait(50ms), m_frame.sendBlock(first));
    if (sent) {
        clock.wait(800ms);
        sent = m_frame.sendText(wire::kCfgData2) && (clock.wait(50ms), m_frame.sendBlock(second));
    }
    if (!sent) {
        services.closeProgress();
        return;
    }
    clock.wait(200ms);
    startResponseTimeout();
}

// The image is encoded here on the GUI thread for N14 as for MT6: the
// worker must not read the window's controls. An image that cannot be
// encoded leaves the commands enabled.
void ConfigTransfer::startWorkerWrite()
{
    FrameServices& services = m_frame.services();
    if (m_format.writeKind != WriteKind::Nothing) {
        if (auto error = m_codec.encodeImage()) {
            services.showMessage({UserMessage::Kind::Error, *error});
            return;
        }
        const auto image = m_codec.image();
        m_outgoing.assign(image.begin(), image.end());
    }
    services.setTransferCommandsEnabled(false);
    services.showProgress(m_format.progressMaximum);
    if (m_format.writeKind == WriteKind::N14)
        m_frame.rxRing().reset();
    m_frame.startCfgThread(*this);
}

// ---- TransferStep (worker thread) ---------------------------------------------------

StepResult ConfigTransfer::transferStep(CfgThread& worker)
{
    switch (m_format.writeKind) {
    case WriteKind::Mt6:
        return mt6Step(worker);
    case WriteKind::N14:
        return n14Step(worker);
    default:
        // N14v2 has nothing to send: the worker ends at once, and its end
        // enables the transfer commands again.
        return StepResult::EndWorker;
    }
}

// The flags are cleared before a part goes out, not after: a device that
// answers while the last bytes are being written must not lose its "CfgOK".
void ConfigTransfer::clearWriteFlags()
{
    m_cfgOkSeen.store(false);
    m_writeError.store(false);
}

bool ConfigTransfer::awaitCfgOk(CfgThread& worker, Milliseconds limit)
{
    const Milliseconds start = worker.now();
    for (;;) {
        if (m_cfgOkSeen.load())
            return true;
        if (m_writeError.load() || worker.now() - start >= limit || worker.endRequested())
            return false;
        worker.wait(kPollPeriod);
    }
}

StepResult ConfigTransfer::failWorkerWrite(CfgThread& worker)
{
    const bool writeError = m_writeError.load();
    worker.onGui([this, writeError] {
        m_frame.services().showMessage(information(writeError ? msg::kWriteError : msg::kDeviceNotResponding));
        m_frame.services().closeProgress();
        stopResponseTimeout();
    });
    return StepResult::EndWorker;
}

// A write the port refused has shown its error already.
StepResult ConfigTransfer::abandonWorkerWrite(CfgThread& worker)
{
    worker.onGui([this] {
        m_frame.services().closeProgress();
        stopResponseTimeout();
    });
    return StepResult::EndWorker;
}

StepResult ConfigTransfer::mt6Step(CfgThread& worker)
{
    for (std::size_t k = 0; k < m_format.parts; ++k) {
        const auto part = std::span(m_outgoing).subspan(k * wire::kPartSize, wire::kPartSize);
        const auto block = encipheredPartWithCrc(m_format.model, part);
        if ((k == 0 && !worker.sendText(wire::kExit)) || !worker.sendBlock(commandWithPart(k)))
            return abandonWorkerWrite(worker);
        worker.wait(50ms);
        clearWriteFlags();
        const auto bytes = std::span(block);
        if (!worker.sendBlock(bytes.first(wire::kPartSize)) || !worker.sendBlock(bytes.last(2)))
            return abandonWorkerWrite(worker);
        if (!awaitCfgOk(worker, kMt6PartLimit))
            return failWorkerWrite(worker);
    }
    worker.onGui([this] {
        m_frame.services().closeProgress();
        stopResponseTimeout();
        m_frame.services().showMessage(information(msg::kConfigurationWasSent));
    });
    return StepResult::EndWorker;
}

StepResult ConfigTransfer::n14Step(CfgThread& worker)
{
    if (!worker.sendText(wire::kCfgData))
        return abandonWorkerWrite(worker);
    worker.wait(10ms);
    clearWriteFlags();
    if (!worker.sendBlock(n14WriteBlock(m_outgoing)))
        return abandonWorkerWrite(worker);
    worker.onGui([this] { m_frame.services().advanceProgress(2048); });
    if (!awaitCfgOk(worker, kN14Limit))
        return failWorkerWrite(worker);
    worker.onGui([this] {
        FrameServices& services = m_frame.services();
        services.advanceProgress(4096);
        services.closeProgress();
        services.showMessage(information(msg::kConfigurationWasSent));
        stopResponseTimeout();
    });
    return StepResult::EndWorker;
}

} // namespace wendax
