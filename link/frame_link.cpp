#include "frame_link.h"

#include "cfg_thread.h"
#include "config_transfer.h"
#include "messages.h"
#include "wire_format.h"

#include <algorithm>

namespace wendax {

using namespace std::chrono_literals;

namespace {

constexpr auto kPortClosingPeriod = 100ms;
constexpr std::size_t kBlockWrite = 16;

std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

FrameLink::FrameLink(FrameServices& services, Transport& transport, Clock& clock)
    : m_services(services)
    , m_transport(transport)
    , m_clock(clock)
    , m_log([this](const LogChange& change) { m_services.logChanged(change); })
    , m_portClosingTimer(clock.createTimer("port-closing timer", true, [this] { timer1Timer(); }))
{
    m_transport.setReadyReadHandler([this] { onReadyRead(); });
    m_escaped.reserve(kChunkLimit * 5);
}

FrameLink::~FrameLink()
{
    if (m_cfgThread) {
        disconnect(m_cfgThread.get(), nullptr, this, nullptr);
        m_cfgThread.reset();
    }
    m_transport.setReadyReadHandler({});
}

// ---- The port ----------------------------------------------------------------

bool FrameLink::setComEnable(bool on)
{
    m_comEnable = on;
    bool ok = true;
    if (m_comEnable) {
        m_services.storeComEnable(true);
        ok = openSerialPort(m_comPort);
    } else {
        m_services.storeComEnable(false);
        if (m_transport.isOpen())
            m_transport.close();
        addLogLine(m_comPort + std::string(msg::kIsClosed));
    }
    showConnectionState();
    return ok;
}

// "COM enable" is "0" while the port is being opened and becomes "1" only
// once it is open, so a port that fails to open leaves it at "0".
bool FrameLink::openSerialPort(const std::string& name)
{
    m_services.storeComEnable(false);
    m_services.setStatusPanel(1, name);
    if (name == m_transport.portName() && m_transport.isOpen()) {
        addLogLine(name + std::string(msg::kIsAllreadyOpened));
    } else {
        if (auto error = m_transport.open(name)) {
            m_comEnable = false;
            m_services.showMessage({UserMessage::Kind::Error, msg::cannotOpenPort(name, *error)});
            return false;
        }
        addLogLine(name + std::string(msg::kIsOpened));
    }
    m_services.storeComEnable(true);
    return true;
}

void FrameLink::showConnectionState()
{
    m_services.setStatusPanel(2, m_transport.isOpen() ? msg::kConnected : msg::kDisconnected);
}

// ---- Sending -------------------------------------------------------------------

bool FrameLink::writeToPort(std::span<const std::uint8_t> bytes)
{
    if (auto error = m_transport.write(bytes)) {
        m_services.showMessage({UserMessage::Kind::Error, msg::cannotWritePort(m_transport.portName(), *error)});
        return false;
    }
    return true;
}

bool FrameLink::writeWithProgress(std::span<const std::uint8_t> bytes)
{
    if (!writeToPort(bytes))
        return false;
    m_services.advanceProgress(static_cast<int>(bytes.size()));
    return true;
}

// A port may report received bytes while it is being written; they are
// handled once the block is out, as a receive event after the send.
bool FrameLink::sendBlock(std::span<const std::uint8_t> bytes)
{
    ++m_sending;
    bool ok = true;
    std::size_t at = 0;
    for (; ok && bytes.size() - at >= kBlockWrite; at += kBlockWrite)
        ok = writeWithProgress(bytes.subspan(at, kBlockWrite));
    for (; ok && at < bytes.size(); ++at)
        ok = writeWithProgress(bytes.subspan(at, 1));
    --m_sending;
    if (m_readPending)
        scheduleRead();
    return ok;
}

bool FrameLink::sendText(std::string_view text)
{
    return sendBlock(bytesOf(text));
}

bool FrameLink::sendByte(std::uint8_t b)
{
    ++m_sending;
    const bool ok = writeToPort(std::span(&b, 1));
    --m_sending;
    if (m_readPending)
        scheduleRead();
    return ok;
}

// ---- Receive path ----------------------------------------------------------------

// Reads are deferred while a receive event, a drain or a send is under way
// (a modal message or a port write can run the event loop inside them), so
// chunks are handled one after the other and in order.
void FrameLink::onReadyRead()
{
    if (m_receiveInProgress || m_draining || m_sending > 0) {
        m_readPending = true;
        return;
    }
    m_readPending = false;
    const std::size_t available = m_transport.bytesAvailable();
    std::size_t limit = std::min(available, kChunkLimit);
    if (m_firmwareArmed)
        limit = std::min(limit, m_ring.freeSpace());
    if (limit < available)
        m_readPending = true;
    if (limit == 0)
        return;
    comPort1RxChar(m_transport.read(limit));
}

void FrameLink::scheduleRead()
{
    if (m_readScheduled)
        return;
    m_readScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_readScheduled = false;
            onReadyRead();
        },
        Qt::QueuedConnection);
}

void FrameLink::comPort1RxChar(std::span<const std::uint8_t> chunk)
{
    if (chunk.empty())
        return;
    m_receiveInProgress = true;
    m_log.beginChunk();
    const std::size_t lost = pushReceived(chunk);
    if (!m_firmwareArmed)
        drainRxRing();
    m_escaped.clear();
    appendEscaped(m_escaped, chunk);
    m_log.endChunk(m_escaped, !m_reception.receiving);
    if (lost > 0)
        addLogLine(msg::rxRingOverrun(lost));
    m_receiveInProgress = false;
    if (m_readPending)
        scheduleRead();
}

// A chunk may be longer than the ring holds (the port buffers 32768 bytes):
// when the ring is full the bytes so far are drained before the rest goes in.
// With a firmware file armed the firmware worker drains instead, and the
// read was sized to the ring's free space; whatever still does not fit is
// counted as lost so that the caller can say so.
std::size_t FrameLink::pushReceived(std::span<const std::uint8_t> chunk)
{
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        if (m_ring.push(chunk[i]))
            continue;
        if (!m_firmwareArmed)
            drainRxRing();
        if (!m_ring.push(chunk[i]))
            return chunk.size() - i;
    }
    return 0;
}

void FrameLink::hidDataReceived(std::span<const std::uint8_t> bytes, std::int8_t length)
{
    if (length < 0 || length > 63 || static_cast<std::size_t>(length) > bytes.size()) {
        addLogLine(msg::kWrongUsbPacket);
        return;
    }
    if (length == 0)
        return;
    const auto payload = bytes.first(static_cast<std::size_t>(length));
    // HID bytes wait in the ring for a worker's drain. A report that does not
    // fit whole is dropped whole, and said so: a part of it would garble the
    // stream without a trace.
    if (payload.size() > m_ring.freeSpace()) {
        addLogLine(msg::rxRingOverrun(payload.size()));
        return;
    }
    for (const std::uint8_t b : payload)
        m_ring.push(b);
    m_escaped.clear();
    appendEscaped(m_escaped, payload);
    m_log.showReceived(m_escaped);
}

void FrameLink::drainRxRing()
{
    if (m_draining)
        return;
    m_draining = true;
    while (m_ring.notEmpty()) {
        const std::uint8_t b = m_ring.pop();
        if (m_active != nullptr)
            m_active->receiveByte(b);
        else
            m_token.step(b, ResponseToken::kFrameLimit);
    }
    m_draining = false;
    if (m_readPending && !m_receiveInProgress)
        scheduleRead();
}

// ---- Windows and commands ------------------------------------------------------

void FrameLink::setActiveWindow(ConfigTransfer* window)
{
    if (window == m_active)
        return;
    m_active = window;
    m_reception = {};
}

void FrameLink::readDevice()
{
    if (!setComEnable(true))
        return;
    m_clock.wait(50ms);
    if (!sendText(wire::kReadDevice))
        return;
    m_clock.wait(100ms);
    if (m_active != nullptr && m_active->format().readArmsTimeout)
        m_active->startResponseTimeout();
}

void FrameLink::writeDevice()
{
    if (m_active == nullptr || m_active->format().writeKind == WriteKind::None)
        return;
    if (!setComEnable(true))
        return;
    m_clock.wait(100ms);
    m_active->writeDevice();
}

void FrameLink::startPortClosingTimer()
{
    m_portClosingTimer->start(kPortClosingPeriod);
}

void FrameLink::timer1Timer()
{
    if (m_receiveInProgress)
        return;
    m_portClosingTimer->stop();
    setComEnable(false);
}

bool FrameLink::busy() const
{
    const bool windowTimer =
        m_active != nullptr && (m_active->responseTimeoutActive() || m_active->clockTimerActive());
    return m_cfgThread != nullptr || m_firmwareWorker || m_portClosingTimer->isActive() || m_reception.receiving || windowTimer;
}

// ---- Configuration worker ---------------------------------------------------------

void FrameLink::startCfgThread(ConfigTransfer& window)
{
    if (m_cfgThread)
        return;
    m_cfgThread = std::make_unique<CfgThread>(*this, window);
    connect(m_cfgThread.get(), &CfgThread::finished, this, &FrameLink::onCfgThreadFinished, Qt::QueuedConnection);
    m_cfgThread->start();
}

ConfigTransfer* FrameLink::cfgThreadWindow() const
{
    return m_cfgThread ? &m_cfgThread->window() : nullptr;
}

void FrameLink::onCfgThreadFinished()
{
    if (m_cfgThread && m_cfgThread->hasEnded())
        finishCfgThread();
}

void FrameLink::stopCfgThread()
{
    if (m_cfgThread)
        finishCfgThread();
}

void FrameLink::finishCfgThread()
{
    disconnect(m_cfgThread.get(), nullptr, this, nullptr);
    m_cfgThread.reset();
    m_services.setTransferCommandsEnabled(true);
    m_services.closeProgress();
    setComEnable(false);
    emit cfgThreadEnded();
}

} // namespace wendax
