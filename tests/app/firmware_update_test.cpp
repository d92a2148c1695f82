// Update through the frame: the window's firmware update over the real port
// against the simulated bootloaders, the switch to the "Firmware" tab and
// back, and the PL3 window.
#include "linked_frame.h"
#include "tests/link/firmware_test_files.h"

#include "devices/PL3/pl3_window.h"
#include "link/config_transfer.h"
#include "link/firmware/firmware_session.h"
#include "link/image_codec.h"
#include "link/wire_format.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeWidget>

#include <optional>

using namespace wendax;
using namespace wendax::gui;
using namespace wendax::gui::testing;
using namespace std::chrono_literals;

namespace {

using wendax::testing::Bytes;
using wendax::testing::joined;
using wendax::testing::quickBootloader;
using wendax::testing::record;

constexpr const char* kConfigurationCommands[] = {"ReadDevice1", "WriteDevice1", "ReceiveConfig1", "SendConfig1"};

struct FirmwareUpdate : LinkedFrame {
    /// A frame whose port is the simulated bootloader of `model`.
    void startBootloader(Model model, sim::BootloaderOptions boot = quickBootloader(), bool silent = false)
    {
        sim::SimulatorOptions options;
        options.model = model;
        options.silent = silent;
        options.bootloader = boot;
        start(std::move(options));
    }

    /// Writes `bytes` to "FirmwareUpdates" and picks it at the next file dialog.
    void chooseFile(const Bytes& bytes)
    {
        const QString folder = frame->folders().firmwareUpdates();
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/firmware.enc");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        dialogs.openNames.push_back(path);
    }

    bool firmwareTabShown(const DeviceWindow& window) const
    {
        const QTabWidget* tabs = window.pageControl();
        const int firmware = tabs->indexOf(window.firmwareSheet());
        return tabs->isTabVisible(firmware) && tabs->currentIndex() == firmware;
    }
    /// The configuration tab is back, selected, and the Firmware tab hidden.
    bool configurationTabShown(const DeviceWindow& window) const
    {
        const QTabWidget* tabs = window.pageControl();
        return tabs->isTabVisible(0) && tabs->currentIndex() == 0
            && !tabs->isTabVisible(tabs->indexOf(window.firmwareSheet()));
    }
    bool configurationCommandsEnabled() const
    {
        return std::all_of(std::begin(kConfigurationCommands), std::end(kConfigurationCommands),
                           [this](const char* name) { return action(name)->isEnabled(); });
    }
    bool configurationCommandsDisabled() const
    {
        return std::none_of(std::begin(kConfigurationCommands), std::end(kConfigurationCommands),
                            [this](const char* name) { return action(name)->isEnabled(); });
    }
};

TEST_F(FirmwareUpdate, OnN5ItArmsShowsTheFirmwareTabSendsTheFileAndRestoresTheConfigurationTab)
{
    startBootloader(Model::N5);
    TN5_cfg* n5 = openN5();
    const Bytes file{0x00, 0x05, 1, 2, 3, 4, 5};
    chooseFile(file);
    ASSERT_TRUE(action("Update1")->isEnabled());
    action("Update1")->trigger();

    ASSERT_EQ(dialogs.openShown.size(), 1U);
    EXPECT_EQ(dialogs.openShown[0].initialFolder, folders.program() + "/FirmwareUpdates");
    EXPECT_EQ(dialogs.openShown[0].filter, "Firmware files (*.enc)");
    EXPECT_TRUE(dialogs.openShown[0].fileName.isEmpty());
    ASSERT_TRUE(n5->firmwareSession()->armed());
    EXPECT_TRUE(firmwareTabShown(*n5));
    EXPECT_FALSE(n5->pageControl()->isTabVisible(0)) << "the configuration tab is hidden";
    EXPECT_EQ(n5->firmwareProgress()->maximum(), 17) << "file length + 10";
    EXPECT_EQ(n5->firmwareProgress()->value(), 0);
    EXPECT_TRUE(link().portOpen());
    EXPECT_TRUE(configurationCommandsDisabled()) << "the port belongs to the bootloader";
    EXPECT_TRUE(action("Update1")->isEnabled()) << "a new Update replaces the armed file";

    ASSERT_TRUE(waitFor([&] { return !n5->firmwareSession()->armed(); }));
    EXPECT_EQ(device->bootloaderReceived(), file);
    EXPECT_TRUE(configurationTabShown(*n5));
    EXPECT_EQ(n5->firmwareProgress()->value(), 5);
    EXPECT_FALSE(link().portOpen());
    EXPECT_EQ(comEnable(), "0");
    EXPECT_TRUE(configurationCommandsEnabled());
    for (const char* line : {"Hardware N5 is connected", "Bootloader SW:N5_070125", "Updating firmware is proceed...",
                             "Firmware file is closing"})
        EXPECT_TRUE(log().contains(QLatin1String(line) + "\n")) << line;
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(';').toStdString();
    EXPECT_TRUE(dialogs.okCancelBoxes.empty());
}

TEST_F(FirmwareUpdate, AFileThatCannotBeFirmwareIsRefusedWithItsBoxAndArmsNothing)
{
    startBootloader(Model::N5);
    TN5_cfg* n5 = openN5();
    struct Case {
        const char* name;
        std::optional<Bytes> file; ///< none: a file that does not exist
        const char* says;
    };
    const Case cases[] = {
        {"record_of_length_0", Bytes{0x00, 0x00, 0x00, 0x01, 7}, "has length 0"},
        {"record_past_the_end", Bytes{0x00, 0x05, 1, 2}, "needs 5 bytes"},
        {"missing_file", std::nullopt, "Can't perform one of the following file operations: Open, Seek, Read, Close."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.okCancelBoxes.clear();
        if (c.file)
            chooseFile(*c.file);
        else
            dialogs.openNames.push_back(frame->folders().firmwareUpdates() + "/none.enc");
        action("Update1")->trigger();
        ASSERT_EQ(dialogs.okCancelBoxes.size(), 1U);
        EXPECT_EQ(dialogs.okCancelBoxes[0].first, "File Error");
        EXPECT_TRUE(dialogs.okCancelBoxes[0].second.contains(c.says)) << dialogs.okCancelBoxes[0].second.toStdString();
        EXPECT_FALSE(n5->firmwareSession()->armed());
        EXPECT_TRUE(configurationTabShown(*n5));
        EXPECT_TRUE(configurationCommandsEnabled());
    }
    dialogs.okCancelBoxes.clear();
    dialogs.openNames = {QString()}; // cancelled
    action("Update1")->trigger();
    EXPECT_TRUE(dialogs.okCancelBoxes.empty());
    EXPECT_FALSE(n5->firmwareSession()->armed());
    EXPECT_FALSE(log().contains(" is opened")) << "the port was never opened";
    EXPECT_TRUE(device->bootloaderReceived().empty());
}

TEST_F(FirmwareUpdate, CrcErrorRestoresTheConfigurationPageAndShowsUpdateFailure)
{
    startBootloader(Model::N5, quickBootloader(sim::BootAnswer::CrcError, 2));
    TN5_cfg* n5 = openN5();
    const Bytes first = record(20, LengthOrder::BigEndian, 1);
    const Bytes second = record(30, LengthOrder::BigEndian, 2);
    chooseFile(joined({first, second, record(40, LengthOrder::BigEndian, 3)}));
    action("Update1")->trigger();
    ASSERT_TRUE(firmwareTabShown(*n5));

    ASSERT_TRUE(waitFor([&] { return !dialogs.errors.isEmpty() && !link().portOpen(); }));
    EXPECT_EQ(dialogs.errors, QStringList{"Update failure"});
    EXPECT_EQ(dialogs.abortButtons, std::vector<bool>{true});
    EXPECT_TRUE(configurationTabShown(*n5));
    EXPECT_TRUE(configurationCommandsEnabled());
    EXPECT_FALSE(n5->firmwareSession()->armed());
    EXPECT_TRUE(log().contains("Update file is damaged, CRC ERROR...\nUpdate failure")) << log().toStdString();
    EXPECT_EQ(device->bootloaderReceived(), joined({first, second})) << "nothing after the refusal";
}

TEST_F(FirmwareUpdate, ClosingTheWindowDuringATransferEndsItAndClosesThePort)
{
    startBootloader(Model::N5, quickBootloader(), /*silent=*/true);
    QPointer<TN5_cfg> n5 = openN5();
    chooseFile(record(8));
    action("Update1")->trigger();
    ASSERT_TRUE(n5->firmwareSession()->armed());
    ASSERT_TRUE(link().portOpen());
    ASSERT_EQ(link().transferThreadCount(), 1);

    action("Close1")->trigger();
    EXPECT_FALSE(link().portOpen());
    EXPECT_EQ(comEnable(), "0");
    EXPECT_EQ(link().transferThreadCount(), 0) << "the pacing worker stopped";
    EXPECT_EQ(frame->activeDeviceWindow(), nullptr);
    EXPECT_TRUE(log().contains("Firmware file is closing"));
    EXPECT_TRUE(configurationCommandsEnabled());
    EXPECT_TRUE(waitFor([&] { return n5.isNull(); })) << "the window is freed";
    EXPECT_TRUE(device->bootloaderReceived().empty());
}

TEST_F(FirmwareUpdate, UpdateIsRefusedWhileAConfigurationWorkerRuns)
{
    sim::SimulatorOptions silent;
    silent.silent = true; // the N14 write below waits for a "CfgOK" that never comes
    start(silent);
    TN5_cfg* n5 = openN5();
    action("Connect1")->trigger(); // the port of the "COM" setting
    RawImageCodec codec(Model::N14, wireFormat(Model::N14).imageSize());
    ConfigTransfer n14(link(), codec);
    link().setActiveWindow(&n14);
    link().writeDevice();
    ASSERT_EQ(link().transferThreadCount(), 1) << "the N14 write runs on the configuration worker";
    EXPECT_FALSE(action("Update1")->isEnabled());

    // An Update that got in before the command was disabled.
    link().setActiveWindow(n5->configTransfer());
    chooseFile(record(4));
    n5->StartFirmwareUpdate();
    EXPECT_TRUE(dialogs.openShown.empty()) << "refused before the file dialog";
    ASSERT_EQ(dialogs.okCancelBoxes.size(), 1U);
    EXPECT_EQ(dialogs.okCancelBoxes[0].second,
              "A configuration transfer is running. Start the firmware update once it has ended.");
    EXPECT_FALSE(n5->firmwareSession()->armed());
    EXPECT_TRUE(configurationTabShown(*n5));
    link().stopCfgThread();
}

TEST_F(FirmwareUpdate, Pl3ShowsItsWarningOnceAFileIsChosenAndSendsTheLengthHighByteFirst)
{
    startBootloader(Model::PL3, quickBootloader(sim::BootAnswer::Reset, 1));
    action("Connect1")->trigger(); // an open port shows that PL3's Write Device sends nothing
    auto* pl3 = static_cast<TPL3_cfg*>(frame->openDeviceWindow(Model::PL3));
    ASSERT_NE(pl3, nullptr);
    EXPECT_EQ(pl3->windowTitle(), "PL3 configuration");
    EXPECT_EQ(pl3->objectName(), "PL3_cfg");
    EXPECT_EQ(pl3->property("vclClass").toString(), "TPL3_cfg");
    EXPECT_FALSE(action("PL31")->isEnabled());
    EXPECT_TRUE(action("PL31")->isChecked());
    QTabWidget* tabs = pl3->pageControl();
    ASSERT_EQ(tabs->count(), 1) << "the firmware sheet only";
    EXPECT_EQ(tabs->widget(0)->objectName(), "TabSheet4");
    EXPECT_EQ(tabs->tabText(0), "Firmware");
    EXPECT_FALSE(tabs->isTabVisible(0));
    EXPECT_EQ(pl3->findChild<QTreeWidget*>(), nullptr);

    QFrame* panel = pl3->findChild<QFrame*>("Panel1");
    ASSERT_EQ(panel, pl3->panel());
    const auto* warning = panel->findChild<QLabel*>("Label1");
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->text(), "Press Reset Button before and after Firmware Update");
    EXPECT_EQ(warning->font().pixelSize(), 23);
    EXPECT_EQ(warning->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(panel->findChild<QLabel*>("Label2")->text(), "Updating progress");
    EXPECT_TRUE(panel->isAncestorOf(pl3->firmwareProgress()));
    EXPECT_TRUE(panel->isHidden());

    action("WriteDevice1")->trigger();
    dialogs.openNames = {QString()};
    action("Update1")->trigger();
    EXPECT_TRUE(panel->isHidden()) << "no file chosen";
    EXPECT_FALSE(pl3->firmwareSession()->armed());

    const Bytes file{0x05, 0x00, 1, 2, 3, 4, 5};
    chooseFile(file);
    action("Update1")->trigger();
    ASSERT_TRUE(pl3->firmwareSession()->armed());
    EXPECT_FALSE(panel->isHidden());
    EXPECT_TRUE(firmwareTabShown(*pl3));
    EXPECT_EQ(pl3->firmwareProgress()->maximum(), 17);

    ASSERT_TRUE(waitFor([&] { return !pl3->firmwareSession()->armed(); }));
    EXPECT_EQ(device->bootloaderReceived(), (Bytes{0x00, 0x05, 1, 2, 3, 4, 5}))
        << "only the firmware, nothing of a configuration write";
    EXPECT_TRUE(log().contains("Hardware is connected\nBootloader: PL3_boot_v1\n")) << log().toStdString();
    EXPECT_FALSE(tabs->isTabVisible(0));
    EXPECT_FALSE(link().portOpen());
    EXPECT_TRUE(dialogs.errors.isEmpty() && dialogs.informations.isEmpty()) << "RESET ends without a message";
}

} // namespace
