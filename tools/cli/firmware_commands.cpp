// flash: a firmware update from the command line, over the same link and
// firmware session the desktop program uses.
#include "firmware_commands.h"

#include "console_services.h"

#include "core/model_keys.h"
#include "link/clock.h"
#include "link/config_transfer.h"
#include "link/firmware/firmware_session.h"
#include "link/frame_link.h"
#include "link/hid/hid_link.h"
#include "link/image_codec.h"
#include "link/serial_transport.h"
#include "link/wire_format.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <optional>
#include <utility>
#include <unistd.h>

namespace wendax::cli {
namespace {

constexpr int kBarWidth = 40;
constexpr long kTimeoutLimitSeconds = 24L * 3600;

QCoreApplication& application()
{
    static int argc = 1;
    static char name[] = "wendax-cli";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return app ? *app : *QCoreApplication::instance();
}

/// The Firmware page's progress bar on the terminal: redrawn in place on a
/// terminal, one line per tenth otherwise (a log file or a pipe).
class ProgressBar {
public:
    ProgressBar(std::ostream& out, bool terminal)
        : m_out(out)
        , m_terminal(terminal)
    {
    }

    void setMaximum(int maximum) { m_maximum = std::max(maximum, 1); }

    void show(int position)
    {
        const int percent = static_cast<int>(100LL * std::clamp(position, 0, m_maximum) / m_maximum);
        if (m_terminal) {
            const int filled = percent * kBarWidth / 100;
            m_out << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << "] " << percent << "% ("
                  << position << "/" << m_maximum << ")" << std::flush;
            m_drawn = true;
        } else if (percent / 10 != m_lastTenth) {
            m_lastTenth = percent / 10;
            printLine(percent, position);
            return;
        }
        m_unprinted = {percent, position};
    }

    /// The bar as it stands at the end.
    void finish()
    {
        if (!m_terminal && m_unprinted)
            printLine(m_unprinted->first, m_unprinted->second);
        m_unprinted.reset();
        clear();
    }

    /// A line of text above the bar.
    void line(const std::string& text)
    {
        clear();
        m_out << text << "\n" << std::flush;
    }

    void clear()
    {
        if (m_drawn)
            m_out << "\r\033[K" << std::flush;
        m_drawn = false;
    }

private:
    void printLine(int percent, int position)
    {
        m_out << "Progress: " << percent << "% (" << position << "/" << m_maximum << ")\n" << std::flush;
        m_unprinted.reset();
    }

    std::ostream& m_out;
    bool m_terminal;
    std::optional<std::pair<int, int>> m_unprinted; ///< percent and position not shown yet
    int m_maximum = 1;
    int m_lastTenth = -1;
    bool m_drawn = false;
};

/// Ctrl+C and termination requests as an event of the event loop.
class EndSignals {
public:
    EndSignals()
    {
        if (pipe(s_pipe) != 0)
            return;
        struct sigaction action {};
        action.sa_handler = [](int) {
            const char b = 1;
            [[maybe_unused]] const auto written = ::write(s_pipe[1], &b, 1);
        };
        sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaction(signal, &action, nullptr);
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
    }
    ~EndSignals()
    {
        m_notifier.reset();
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_DFL);
        for (int& fd : s_pipe) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }
    QSocketNotifier* notifier() const { return m_notifier.get(); }

private:
    static inline int s_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

struct FlashLine {
    Model model{};
    std::optional<std::string> port;
    std::string file;
    long timeoutSeconds = 0; ///< 0: no limit
    bool log = false;
};

std::optional<FlashLine> parseFlashLine(std::span<const std::string> args, std::string& error)
{
    constexpr std::string_view kValued[] = {"--model", "--port", "--timeout"};
    constexpr std::string_view kFlags[] = {"--log"};
    const auto parsed = parseArgs(args, kValued, kFlags, error);
    if (!parsed)
        return std::nullopt;
    FlashLine line;
    const auto name = parsed->option("--model");
    const auto model = name ? parseModelName(*name) : std::nullopt;
    if (!model) {
        error = "--model takes N5, N14 (alias N9), N14v2, RX8, MT43 (alias MT5), MT6 or PL3";
        return std::nullopt;
    }
    line.model = *model;
    line.port = parsed->option("--port");
    const bool usb = bootloaderProfile(line.model).transport == BootTransport::Hid;
    if (usb && line.port) {
        error = "N14v2 takes its firmware over USB HID; --port is not used";
        return std::nullopt;
    }
    if (!usb && !line.port) {
        error = "--port is required (the serial port the device is on, e.g. /dev/ttyUSB0)";
        return std::nullopt;
    }
    if (const auto timeout = parsed->option("--timeout")) {
        const bool digits = !timeout->empty() && timeout->size() <= 6 &&
                            std::all_of(timeout->begin(), timeout->end(), [](char c) { return c >= '0' && c <= '9'; });
        line.timeoutSeconds = digits ? std::stol(*timeout) : 0;
        if (line.timeoutSeconds < 1 || line.timeoutSeconds > kTimeoutLimitSeconds) {
            error = "--timeout takes a number of seconds from 1 to " + std::to_string(kTimeoutLimitSeconds);
            return std::nullopt;
        }
    }
    if (parsed->operands.size() != 1) {
        error = "flash takes one firmware file";
        return std::nullopt;
    }
    line.file = parsed->operands[0];
    line.log = parsed->flag("--log");
    return line;
}

int flash(std::span<const std::string> args, Streams io)
{
    std::string error;
    const auto line = parseFlashLine(args, error);
    if (!line) {
        io.err << "wendax-cli flash: " << error << "\n";
        return kUsage;
    }

    application();
    const bool terminal = &io.err == &std::cerr && isatty(STDERR_FILENO) == 1;
    ProgressBar bar(io.err, terminal && !line->log);
    ConsoleServices services(io.out, io.err, line->log);
    SerialTransport transport;
    QtClock clock;
    FrameLink frame(services, transport, clock);
    if (line->port)
        frame.setComPort(*line->port);
    RawImageCodec codec(line->model, wireFormat(line->model).imageSize());
    ConfigTransfer window(frame, codec);
    frame.setActiveWindow(&window);
    std::unique_ptr<hid::HidLink> usb;
    if (!line->port) {
        usb = std::make_unique<hid::HidLink>(hid::makeHidapiBackend());
        connectHidToFrame(*usb, frame);
        usb->start();
    }
    FirmwareSession session(frame, window, usb.get());

    QEventLoop loop;
    QObject::connect(&session, &FirmwareSession::started, [&](int maximum) { bar.setMaximum(maximum); });
    QObject::connect(&session, &FirmwareSession::progressChanged, [&](int position) { bar.show(position); });
    if (!line->log)
        QObject::connect(&session, &FirmwareSession::logLine, [&](const QString& text) { bar.line(text.toStdString()); });
    QObject::connect(&session, &FirmwareSession::ended, &loop, &QEventLoop::quit);

    // Taken over before anything is armed: an end request from then on stops
    // the update cleanly.
    EndSignals endSignals;
    std::string stoppedBy;
    if (endSignals.notifier() != nullptr) {
        QObject::connect(endSignals.notifier(), &QSocketNotifier::activated, [&] {
            stoppedBy = "interrupted";
            loop.quit();
        });
    }
    QTimer limit;
    if (line->timeoutSeconds > 0) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, [&] {
            stoppedBy = "no end within " + std::to_string(line->timeoutSeconds) + " s";
            loop.quit();
        });
        limit.start(std::chrono::seconds(line->timeoutSeconds));
    }
    const auto start = session.startWithFile(line->file);
    if (start.status != FirmwareSession::StartStatus::Armed) {
        if (!start.text.empty())
            io.err << "wendax-cli flash: " << start.title << ": " << start.text << "\n";
        return kFailed;
    }
    if (session.armed())
        loop.exec();
    bar.finish();
    session.stop();

    const FirmwareTransfer& transfer = session.transfer();
    if (!stoppedBy.empty()) {
        io.err << "wendax-cli flash: " << stoppedBy << "; the update was stopped after " << transfer.recordsSent()
               << " records\n";
        return kFailed;
    }
    if (transfer.outcome() != FirmwareTransfer::Outcome::Completed)
        return kFailed;
    io.out << "Every record was acknowledged (" << transfer.recordsSent() << " records).\n";
    return kOk;
}

constexpr Command kFirmwareCommands[] = {
    {"flash", "update the firmware of a device through its bootloader",
     "usage: wendax-cli flash --model MODEL --port PORT [--timeout SECONDS] [--log] FIRMWARE.enc\n"
     "       wendax-cli flash --model N14v2 [--timeout SECONDS] [--log] FIRMWARE.enc\n"
     "\n"
     "Updates the firmware of the MODEL device as Update does: checks FIRMWARE.enc\n"
     "record by record before anything is sent, opens the serial port PORT (115200\n"
     "baud, 8N1) and waits for the bootloader: reset the device now. When the\n"
     "bootloader announces itself the host answers, and after \"BOOT\" it sends one\n"
     "record per \"ACK\". N14v2 takes its firmware over USB HID (vendor 4660,\n"
     "product 8738) and has no port.\n"
     "\n"
     "The log lines of the update and a progress bar go to standard error; the\n"
     "messages (\"Update failure\", \"Update successful. Reset module to\n"
     "continue...\") and the outcome to standard output.\n"
     "\n"
     "  --timeout SECONDS  stops the update if it has not ended by then (default:\n"
     "                     no limit for serial bootloaders; N14v2 stops by itself\n"
     "                     after 20 s without an answer)\n"
     "  --log              prints the whole terminal log (received bytes, port\n"
     "                     lines) instead of the update's own lines\n"
     "\n"
     "Ctrl+C stops the update cleanly: nothing more is sent and the port is closed.\n"
     "Exit status 0 when every record was acknowledged, 1 otherwise (a refused or\n"
     "unreadable file, \"CRCERROR\", \"UNKNOWNCOMMAND\", a timeout, Ctrl+C).\n",
     flash},
};

} // namespace

std::span<const Command> firmwareCommands()
{
    return kFirmwareCommands;
}

} // namespace wendax::cli
