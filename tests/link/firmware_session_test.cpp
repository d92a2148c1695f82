// Firmware updates end to end: the real link and serial port over a
// pseudo-terminal against the simulated bootloaders, and the N14v2 over a
// pretend USB device behind the HID transport.
#include "firmware_test_files.h"
#include "link_test_support.h"

#include "../hid/fake_hid.h"

#include "link/config_transfer.h"
#include "link/firmware/firmware_session.h"
#include "link/frame_link.h"
#include "link/hid/hid_link.h"
#include "link/image_codec.h"
#include "link/serial_transport.h"
#include "link/wire_format.h"
#include "tools/simulator/simulator.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

namespace wendax::test {
namespace {

using namespace std::chrono_literals;
using wendax::testing::Bytes;
using wendax::testing::joined;
using wendax::testing::quickBootloader;
using wendax::testing::record;
using Outcome = FirmwareTransfer::Outcome;
using Status = FirmwareSession::StartStatus;

/// Where the log holds `lines` in this order.
bool logHoldsInOrder(const std::string& log, std::initializer_list<std::string_view> lines)
{
    std::size_t at = 0;
    for (const auto line : lines) {
        at = log.find(std::string(line) + "\r\n", at);
        if (at == std::string::npos)
            return false;
        at += line.size();
    }
    return true;
}

/// What a device window holds for its firmware update, with the frame.
struct Frame {
    Frame(Model model, Transport& transport, Clock& clock, hid::HidLink* hid = nullptr)
        : link(services, transport, clock)
        , codec(model, wireFormat(model).imageSize())
        , window(link, codec)
        , session(std::make_unique<FirmwareSession>(link, window, hid))
    {
        link.setActiveWindow(&window);
        QObject::connect(session.get(), &FirmwareSession::started, [this](int maximum) { progressMaximum = maximum; });
        QObject::connect(session.get(), &FirmwareSession::progressChanged, [this](int p) { progress.push_back(p); });
        QObject::connect(session.get(), &FirmwareSession::ended, [this](Outcome outcome) { endings.push_back(outcome); });
    }

    std::string log() const { return link.terminalLog().text(); }
    bool ended() const { return !endings.empty(); }

    RecordingServices services;
    FrameLink link;
    RawImageCodec codec;
    ConfigTransfer window;
    std::unique_ptr<FirmwareSession> session;
    int progressMaximum = -1;
    std::vector<int> progress;
    std::vector<Outcome> endings;
};

/// A firmware file in a folder of its own.
struct FirmwareFolder {
    QTemporaryDir dir;

    std::string write(const Bytes& bytes, const char* name = "firmware.enc")
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path.toStdString();
    }
};

/// A window of `model` over a real serial port, and the model's simulated
/// bootloader on a pseudo-terminal.
struct SerialBench {
    explicit SerialBench(Model model, sim::BootloaderOptions boot = quickBootloader(), bool silent = false)
        : frame(model, transport, clock)
    {
        sim::SimulatorOptions options;
        options.model = model;
        options.silent = silent;
        options.bootloader = boot;
        std::string error;
        device = sim::startSimulator(std::move(options), {}, error);
        if (!device)
            throw std::runtime_error(error);
        frame.link.setComPort(device->path());
    }

    FirmwareSession::StartResult start(const Bytes& file) { return frame.session->startWithFile(folder.write(file)); }

    /// Waits for the transfer's end; the port is closed by then.
    bool finish(int boundMs = 10000) { return waitUntil([this] { return frame.ended(); }, boundMs); }

    QtClock clock;
    SerialTransport transport;
    Frame frame;
    FirmwareFolder folder;
    std::unique_ptr<sim::Simulator> device;
};

// ---- Serial bootloaders ------------------------------------------------------------

TEST(FirmwareOverSerial, OneN5RecordFromIdentificationToTheEnd)
{
    SerialBench bench(Model::N5);
    const Bytes file{0x00, 0x05, 1, 2, 3, 4, 5};
    const auto start = bench.start(file);
    ASSERT_EQ(start.status, Status::Armed) << start.text;
    EXPECT_EQ(bench.frame.progressMaximum, 17);
    EXPECT_TRUE(bench.frame.link.portOpen());
    EXPECT_EQ(bench.frame.link.transferThreadCount(), 1);

    ASSERT_TRUE(bench.finish());
    EXPECT_EQ(bench.frame.endings, std::vector<Outcome>{Outcome::Completed});
    // The device answered 'A' with "BOOT", so the host's 'A' came first.
    EXPECT_EQ(bench.device->bootloaderReceived(), file);
    EXPECT_TRUE(logHoldsInOrder(bench.frame.log(),
                                {"Firmware file has been loaded", "Please connect and reset your hardware",
                                 "Hardware N5 is connected", "Bootloader SW:N5_070125", "Please wait...",
                                 "Updating firmware is proceed...", "Firmware file is closing"}))
        << bench.frame.log();
    EXPECT_EQ(bench.frame.progress.back(), 5);
    EXPECT_FALSE(bench.frame.link.portOpen());
    EXPECT_EQ(bench.frame.link.transferThreadCount(), 0);
    EXPECT_FALSE(bench.frame.session->armed());
    EXPECT_TRUE(bench.frame.services.messages.empty());
}

TEST(FirmwareOverSerial, RecordsReachTheLineHighLengthByteFirstAndWhole)
{
    const Bytes fivePl3{0x05, 0x00, 1, 2, 3, 4, 5};
    const Bytes fiveOnLine{0x00, 0x05, 1, 2, 3, 4, 5};
    const Bytes long400 = record(400, LengthOrder::BigEndian);
    const Bytes multi = joined({record(300, LengthOrder::BigEndian, 7), record(1, LengthOrder::BigEndian, 9),
                                record(1029, LengthOrder::BigEndian, 11), record(255, LengthOrder::BigEndian, 13)});
    struct Case {
        const char* name;
        Model model;
        Bytes file;
        Bytes line;
        sim::BootloaderOptions boot;
    };
    const Case cases[] = {
        {"pl3_little_endian_file_reset_at_the_end", Model::PL3, fivePl3, fiveOnLine,
         quickBootloader(sim::BootAnswer::Reset, 1)},
        {"length_0x0190_sends_400_bytes", Model::RX8, long400, long400, quickBootloader()},
        {"multi_record_file_byte_for_byte", Model::N14, multi, multi, quickBootloader()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SerialBench bench(c.model, c.boot);
        ASSERT_EQ(bench.start(c.file).status, Status::Armed);
        ASSERT_TRUE(bench.finish());
        EXPECT_EQ(bench.frame.endings, std::vector<Outcome>{Outcome::Completed});
        EXPECT_EQ(bench.device->bootloaderReceived(), c.line);
        EXPECT_TRUE(bench.frame.services.messages.empty()) << "a PL3 RESET ends without a message";
        EXPECT_FALSE(bench.frame.link.portOpen());
    }
}

TEST(FirmwareOverSerial, AnIdentificationWordWithNothingArmedOnlyLogs)
{
    SerialBench bench(Model::N5);
    ASSERT_TRUE(bench.frame.link.setComEnable(true));
    // A second announcement means the host let the first go unanswered.
    ASSERT_TRUE(waitUntil([&] { return bench.device->announcements() >= 2; }));
    EXPECT_TRUE(logHoldsInOrder(bench.frame.log(), {"Hardware N5 is connected", "Bootloader SW:N5_070125"}));
    EXPECT_TRUE(bench.device->bootloaderReceived().empty());
    EXPECT_EQ(bench.device->bootTimings().recordStarts.size(), 0U);
    EXPECT_EQ(bench.frame.link.transferThreadCount(), 0);
    EXPECT_TRUE(bench.frame.endings.empty());
}

TEST(FirmwareOverSerial, ARefusedRecordEndsTheTransferWithUpdateFailure)
{
    struct Case {
        sim::BootAnswer answer;
        const char* logLine;
    };
    const Bytes first = record(20, LengthOrder::BigEndian, 1);
    const Bytes second = record(30, LengthOrder::BigEndian, 2);
    for (const auto& c : {Case{sim::BootAnswer::CrcError, "Update file is damaged, CRC ERROR..."},
                          Case{sim::BootAnswer::UnknownCommand, "Update file is damaged, Unknown Command..."}}) {
        SCOPED_TRACE(c.logLine);
        SerialBench bench(Model::MT6, quickBootloader(c.answer, 2));
        ASSERT_EQ(bench.start(joined({first, second, record(40, LengthOrder::BigEndian, 3)})).status, Status::Armed);
        ASSERT_TRUE(bench.finish());
        EXPECT_EQ(bench.frame.endings, std::vector<Outcome>{Outcome::Failed});
        ASSERT_EQ(bench.frame.services.messages.size(), 1U);
        EXPECT_EQ(bench.frame.services.messages[0].text, "Update failure");
        EXPECT_EQ(bench.frame.services.messages[0].kind, UserMessage::Kind::ErrorAbort);
        EXPECT_TRUE(logHoldsInOrder(bench.frame.log(), {"Firmware file is closing", c.logLine, "Update failure"}))
            << bench.frame.log();
        EXPECT_FALSE(bench.frame.link.portOpen());
        EXPECT_EQ(bench.device->bootloaderReceived(), joined({first, second})) << "nothing after the refusal";
    }
}

TEST(FirmwareOverSerial, ClosingTheWindowEndsAnArmedTransfer)
{
    SerialBench bench(Model::N5, quickBootloader(), true);
    ASSERT_EQ(bench.start(record(8, LengthOrder::BigEndian)).status, Status::Armed);
    ASSERT_TRUE(bench.frame.link.portOpen());
    bench.frame.session->windowClosing();
    EXPECT_FALSE(bench.frame.session->armed());
    EXPECT_FALSE(bench.frame.session->workerRunning());
    EXPECT_FALSE(bench.frame.link.portOpen());
    EXPECT_EQ(bench.frame.link.transferThreadCount(), 0);
    EXPECT_EQ(bench.frame.endings, std::vector<Outcome>{Outcome::Stopped});
    EXPECT_TRUE(logHoldsInOrder(bench.frame.log(), {"Firmware file is closing"}));

    // A window destroyed while armed ends its transfer the same way.
    ASSERT_EQ(bench.start(record(8, LengthOrder::BigEndian)).status, Status::Armed);
    bench.frame.session.reset();
    EXPECT_FALSE(bench.frame.link.portOpen());
    EXPECT_EQ(bench.frame.link.transferThreadCount(), 0);
    EXPECT_EQ(bench.frame.endings.size(), 1U) << "no signal from a window that is going away";
}

TEST(FirmwareOverSerial, FilesThatCannotBeFirmwareAreRefusedBeforeAnythingIsSent)
{
    struct Case {
        const char* name;
        Bytes file;
        Status status;
        std::string textPart;
    };
    const Case cases[] = {
        {"empty", {}, Status::InvalidFile, "is empty"},
        {"record_of_length_0", {0x00, 0x00, 0x00, 0x01, 7}, Status::InvalidFile, "has length 0"},
        {"record_past_the_end", {0x00, 0x05, 1, 2}, Status::InvalidFile, "needs 5 bytes"},
        {"too_large", Bytes(FirmwareFile::kMaxSize + 1, 0x10), Status::InvalidFile, "at most 4194304 bytes"},
    };
    SerialBench bench(Model::N5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = bench.start(c.file);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.title, "File Error");
        EXPECT_NE(result.text.find(c.textPart), std::string::npos) << result.text;
    }
    const auto missing = bench.frame.session->startWithFile(bench.folder.dir.filePath("none.enc").toStdString());
    EXPECT_EQ(missing.status, Status::FileError);
    EXPECT_EQ(missing.text, "Can't perform one of the following file operations: Open, Seek, Read, Close.");
    EXPECT_EQ(bench.frame.session->startFirmwareUpdate([] { return std::nullopt; }).status, Status::Cancelled);

    EXPECT_TRUE(bench.frame.services.comEnableStored.empty()) << "the port was never opened";
    EXPECT_TRUE(bench.frame.log().empty()) << bench.frame.log();
    EXPECT_EQ(bench.frame.progressMaximum, -1);
}

TEST(FirmwareOverSerial, APortThatDoesNotOpenEndsTheTransferAgain)
{
    SerialBench bench(Model::N5);
    bench.frame.link.setComPort("/dev/wendax-no-such-port");
    const auto result = bench.start(record(4, LengthOrder::BigEndian));
    EXPECT_EQ(result.status, Status::PortFailed);
    EXPECT_TRUE(result.text.empty()) << "the port's own error was shown";
    ASSERT_EQ(bench.frame.services.messages.size(), 1U);
    EXPECT_EQ(bench.frame.services.messages[0].text.rfind("Cannot open /dev/wendax-no-such-port", 0), 0U);
    EXPECT_FALSE(bench.frame.session->armed());
    EXPECT_FALSE(bench.frame.session->workerRunning());
    EXPECT_EQ(bench.frame.endings, std::vector<Outcome>{Outcome::Stopped});
}

TEST(FirmwareOverSerial, UpdateIsRefusedWhileAConfigurationWriteRuns)
{
    FakeTransport transport;
    QtClock clock;
    Frame n14(Model::N14, transport, clock);
    n14.link.setComPort("COM3");
    FirmwareFolder folder;
    n14.link.writeDevice();
    ASSERT_EQ(n14.link.transferThreadCount(), 1) << "the N14 write waits for CfgOK on its worker";
    bool asked = false;
    const auto result = n14.session->startFirmwareUpdate([&] {
        asked = true;
        return std::optional<std::string>(folder.write(record(4, LengthOrder::BigEndian)));
    });
    EXPECT_EQ(result.status, Status::ConfigurationRunning);
    EXPECT_EQ(result.text, "A configuration transfer is running. Start the firmware update once it has ended.");
    EXPECT_FALSE(asked) << "refused before the file dialog";
    EXPECT_FALSE(n14.session->armed());
    n14.link.stopCfgThread();
}

// ---- N14v2 over USB HID ---------------------------------------------------------------

/// Time that moves only when the test says so; timers are real.
class ManualClock final : public Clock {
public:
    Milliseconds now() const override { return Milliseconds(m_now.load()); }
    void wait(Milliseconds period) override { advance(period); }
    std::unique_ptr<Timer> createTimer(std::string name, bool repeating, std::function<void()> onTimeout) override
    {
        return m_timers.createTimer(std::move(name), repeating, std::move(onTimeout));
    }
    LocalTime localTime() const override { return m_timers.localTime(); }
    void advance(Milliseconds period) { m_now += period.count(); }

private:
    std::atomic<Milliseconds::rep> m_now{100000};
    QtClock m_timers;
};

class FirmwareOverHid : public ::testing::Test {
protected:
    FirmwareOverHid()
    {
        bus->plugged = true;
        usb.start();
        connectHidToFrame(usb, frame.link);
    }

    void deviceSays(std::string_view text, int count = -1)
    {
        std::lock_guard lock(bus->mutex);
        bus->inbound.push_back(hid::inputReport(text, count));
    }

    /// Payloads of the output reports, each cut to its count byte.
    std::vector<Bytes> writes() const
    {
        std::lock_guard lock(bus->mutex);
        std::vector<Bytes> payloads;
        for (const auto& report : bus->written)
            payloads.emplace_back(report.begin() + 2, report.begin() + 2 + report[1]);
        return payloads;
    }

    bool writesReach(std::size_t count) { return waitUntil([&] { return writes().size() >= count; }); }

    void armTwoRecords()
    {
        const auto result = frame.session->startWithFile(folder.write({0x03, 0x00, 1, 2, 3, 0x02, 0x00, 4, 5}));
        ASSERT_EQ(result.status, Status::Armed);
    }

    std::shared_ptr<hid::FakeBus> bus = std::make_shared<hid::FakeBus>();
    hid::HidLink usb{std::make_unique<hid::FakeBackend>(bus), std::chrono::hours(1)};
    FakeTransport transport;
    ManualClock clock;
    Frame frame{Model::N14v2, transport, clock, &usb};
    FirmwareFolder folder;
};

TEST_F(FirmwareOverHid, ConnectsSendsEachRecordAsTwoWritesAndEndsOnReset)
{
    armTwoRecords();
    EXPECT_FALSE(frame.link.portOpen()) << "N14v2 needs no serial port";
    EXPECT_EQ(frame.services.messageTexts(), std::vector<std::string>{"Please connect and reset your hardware..."});
    EXPECT_TRUE(logHoldsInOrder(frame.log(), {"Firmware file have been loaded", "Please connect and reset your hardware"}));

    deviceSays("\r\nN14v2_boot_1v0\r\n");
    ASSERT_TRUE(writesReach(1));
    EXPECT_EQ(writes()[0], bytes("CON"));

    deviceSays("\r\nBOOT\r\n");
    ASSERT_TRUE(writesReach(3));
    EXPECT_EQ(writes()[1], (Bytes{0x03, 0x00}));
    EXPECT_EQ(writes()[2], (Bytes{1, 2, 3}));

    deviceSays("\r\nACK\r\n");
    ASSERT_TRUE(writesReach(5));
    EXPECT_EQ(writes()[3], (Bytes{0x02, 0x00}));
    EXPECT_EQ(writes()[4], (Bytes{4, 5}));
    EXPECT_EQ(frame.progress.back(), 9);

    deviceSays("\r\nRESET\r\n");
    ASSERT_TRUE(waitUntil([&] { return frame.ended(); }));
    EXPECT_EQ(frame.endings, std::vector<Outcome>{Outcome::Completed});
    EXPECT_EQ(frame.services.messageTexts().back(), "Update successful. Reset module to continue...");
    EXPECT_TRUE(logHoldsInOrder(frame.log(), {"Hardware is connected", "Please wait...", "Update successful"}));
    EXPECT_EQ(frame.link.transferThreadCount(), 0);
    EXPECT_EQ(writes().size(), 5U);
}

TEST_F(FirmwareOverHid, TwentySecondsWithoutAckEndWithUpdatingTimeout)
{
    armTwoRecords();
    deviceSays("\r\nBOOT\r\n");
    ASSERT_TRUE(writesReach(2)) << "the first record";
    EXPECT_FALSE(frame.ended());
    clock.advance(20001ms);
    ASSERT_TRUE(waitUntil([&] { return frame.ended(); }));
    EXPECT_EQ(frame.endings, std::vector<Outcome>{Outcome::Failed});
    EXPECT_EQ(frame.services.messageTexts().back(), "Updating Timeout");
    EXPECT_EQ(writes().size(), 2U) << "nothing after the timeout";
}

TEST_F(FirmwareOverHid, AReportWithCount64IsAWrongUsbPacket)
{
    armTwoRecords();
    deviceSays("\r\nN14v2_boot_1v0", 64);
    deviceSays("\r\nN14v2_boot_1v0\r\n");
    ASSERT_TRUE(writesReach(1));
    const std::string log = frame.log();
    EXPECT_NE(log.find("Wrong USB packet"), std::string::npos);
    // Had the rejected report's word entered the ring, it would have been
    // recognised too.
    EXPECT_EQ(log.find("Hardware is connected"), log.rfind("Hardware is connected"));
    EXPECT_EQ(writes(), std::vector<Bytes>{bytes("CON")});
}

} // namespace
} // namespace wendax::test
