#include "firmware_session.h"

#include "firmware_messages.h"

#include "link/config_transfer.h"
#include "link/frame_link.h"
#include "link/hid/hid_link.h"

#include <QFile>

namespace wendax {

using namespace std::chrono_literals;

namespace {

// Half a turn of the worker: a drain, or a step.
constexpr auto kPacePeriod = 1ms;

QString qText(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

LoadedFirmware loadFirmwareFile(const std::string& path, LengthOrder order)
{
    LoadedFirmware loaded;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return loaded;
    // One byte past the limit is enough to know the file is too large.
    const QByteArray data = file.read(static_cast<qint64>(FirmwareFile::kMaxSize) + 1);
    if (file.error() != QFileDevice::NoError)
        return loaded;
    std::string error;
    auto parsed = FirmwareFile::parse(std::vector<std::uint8_t>(data.begin(), data.end()), order, error);
    if (!parsed) {
        loaded.status = LoadedFirmware::Status::InvalidFile;
        loaded.error = path + std::string(msg::kNotAFirmwareFile) + error;
        return loaded;
    }
    loaded.status = LoadedFirmware::Status::Loaded;
    loaded.file = std::move(parsed);
    return loaded;
}

void connectHidToFrame(hid::HidLink& hid, FrameLink& frame)
{
    QObject::connect(&hid, &hid::HidLink::reportReceived, &frame, [&frame](const QByteArray& payload, int length) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(payload.constData());
        frame.hidDataReceived({bytes, static_cast<std::size_t>(payload.size())}, static_cast<std::int8_t>(length));
    });
    QObject::connect(&hid, &hid::HidLink::textReceived, &frame,
                     [&frame](const QString& text) { frame.hidTextReceived(text.toStdString()); });
}

/// The frame's services as the transfer uses them.
class FirmwareSession::Io final : public FirmwareIo {
public:
    explicit Io(FirmwareSession& session)
        : m_session(session)
    {
    }

    void sendByte(std::uint8_t byte) override { m_session.m_frame.sendByte(byte); }
    void sendBlock(std::span<const std::uint8_t> bytes) override { m_session.m_frame.sendBlock(bytes); }
    // A report the device refuses is not retried: the bootloader then does
    // not acknowledge, and the 20 s limit ends the transfer.
    void hidWrite(std::span<const std::uint8_t> bytes) override
    {
        if (m_session.m_hid != nullptr)
            m_session.m_hid->write(bytes);
    }
    void log(std::string_view line) override
    {
        m_session.m_frame.addLogLine(line);
        if (!m_session.m_quiet)
            emit m_session.logLine(qText(line));
    }
    void showError(std::string_view text) override
    {
        m_session.m_frame.services().showMessage({UserMessage::Kind::ErrorAbort, std::string(text)});
    }
    void showInformation(std::string_view text) override
    {
        m_session.m_frame.services().showMessage({UserMessage::Kind::Information, std::string(text)});
    }
    void setProgress(std::size_t position) override
    {
        if (!m_session.m_quiet)
            emit m_session.progressChanged(static_cast<int>(position));
    }
    void transferEnded() override { m_session.onTransferEnded(); }
    std::uint64_t nowMs() override
    {
        return static_cast<std::uint64_t>(m_session.m_frame.clock().now().count());
    }

private:
    FirmwareSession& m_session;
};

FirmwareSession::FirmwareSession(FrameLink& frame, ConfigTransfer& window, hid::HidLink* hid, QObject* parent)
    : QObject(parent)
    , m_frame(frame)
    , m_window(window)
    , m_hid(hid)
    , m_profile(bootloaderProfile(window.format().model))
    , m_io(std::make_unique<Io>(*this))
    , m_transfer(m_profile, *m_io)
{
    m_pace.setTimerType(Qt::PreciseTimer);
    m_pace.setInterval(kPacePeriod);
    connect(&m_pace, &QTimer::timeout, this, &FirmwareSession::turn);
    m_window.setBootloaderWords([this](std::string_view word) { return m_transfer.onWord(word); });
}

FirmwareSession::~FirmwareSession()
{
    m_quiet = true;
    windowClosing();
    m_window.setBootloaderWords({});
}

FirmwareSession::StartResult FirmwareSession::startFirmwareUpdate(const FileChooser& choose)
{
    stop();
    if (m_frame.transferThreadCount() != 0)
        return {StartStatus::ConfigurationRunning, std::string(msg::kFileError), std::string(msg::kConfigurationRunning)};
    const auto path = choose();
    if (!path)
        return {StartStatus::Cancelled, {}, {}};
    return startWithFile(*path);
}

FirmwareSession::StartResult FirmwareSession::startWithFile(const std::string& path)
{
    stop();
    // A configuration worker would keep the pacing worker from starting and
    // the armed transfer could never advance.
    if (m_frame.transferThreadCount() != 0)
        return {StartStatus::ConfigurationRunning, std::string(msg::kFileError), std::string(msg::kConfigurationRunning)};
    LoadedFirmware loaded = loadFirmwareFile(path, m_profile.fileLengthOrder);
    switch (loaded.status) {
    case LoadedFirmware::Status::FileError:
        return {StartStatus::FileError, std::string(msg::kFileError), std::string(msg::kFileOperationsFailed)};
    case LoadedFirmware::Status::InvalidFile:
        return {StartStatus::InvalidFile, std::string(msg::kFileError), loaded.error};
    case LoadedFirmware::Status::Loaded:
        break;
    }
    return arm(std::move(*loaded.file));
}

FirmwareSession::StartResult FirmwareSession::arm(FirmwareFile file)
{
    m_transfer.arm(std::move(file));
    m_frame.setFirmwareArmed(true);
    emit started(static_cast<int>(m_transfer.progressMaximum()));
    if (m_profile.transport == BootTransport::Serial && !m_frame.setComEnable(true)) {
        // Armed without a port, the transfer could only wait for ever.
        m_transfer.stop();
        return {StartStatus::PortFailed, {}, {}};
    }
    startWorker();
    if (m_profile.transport == BootTransport::Hid) {
        m_frame.rxRing().clear();
        m_io->showInformation(msg::kConnectAndResetBox);
    }
    return {StartStatus::Armed, {}, {}};
}

void FirmwareSession::startWorker()
{
    m_drainNext = true;
    m_frame.setFirmwareWorkerRunning(true);
    m_pace.start();
}

void FirmwareSession::turn()
{
    if (m_inTurn)
        return;
    m_inTurn = true;
    try {
        if (m_drainNext)
            m_frame.drainRxRing();
        else
            m_transfer.step();
    } catch (...) {
        // The worker carries on after a failed turn, as it always has; the
        // next turn finds the state as the failed one left it.
    }
    m_drainNext = !m_drainNext;
    m_inTurn = false;
}

void FirmwareSession::stop()
{
    if (m_transfer.armed())
        m_transfer.stop();
}

void FirmwareSession::windowClosing()
{
    stop();
}

// The worker's end closes the port; a transfer that ends without a worker
// (a word received while nothing is armed) leaves the port as it is.
void FirmwareSession::onTransferEnded()
{
    m_frame.setFirmwareArmed(false);
    if (m_pace.isActive()) {
        m_pace.stop();
        m_frame.setFirmwareWorkerRunning(false);
        m_frame.setComEnable(false);
    }
    if (!m_quiet)
        emit ended(m_transfer.outcome());
}

} // namespace wendax
