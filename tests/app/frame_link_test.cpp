// The frame over its own link: Read Device, Write Device, the port commands
// and the port-closing timer through the GUI, against a simulated device on
// a pseudo-terminal.
#include "linked_frame.h"

#include "app/about_box.h"
#include "app/settings_dialog.h"
#include "devices/N5/n5_layout.h"
#include "devices/N5/n5_window.h"
#include "link/frame_link.h"
#include "tools/simulator/simulator.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

using namespace wendax;
using namespace wendax::gui;
using namespace wendax::gui::testing;

namespace {

TEST_F(LinkedFrame, ReadDeviceFillsTheN5WindowShowsTheVersionAndClosesThePortAgain)
{
    DeviceForm source(n5Definition());
    source.form().setText("Edit21", "4321");
    ASSERT_FALSE(source.encodeImage());
    sim::SimulatorOptions options;
    options.image.assign(source.image().begin(), source.image().end());
    options.version = "2.17";
    start(options);
    TN5_cfg* n5 = openN5();

    action("ReadDevice1")->trigger();
    ASSERT_TRUE(transferEnded());
    EXPECT_EQ(dialogs.informations, QStringList{"Configuration was received"});
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(';').toStdString();
    EXPECT_EQ(frame->statusText(TMainForm::VersionPanel), "2.17");
    EXPECT_EQ(n5->findChild<QLineEdit*>("Edit21")->text(), "4321");
    EXPECT_EQ(frame->statusText(TMainForm::ConnectionPanel), "Disconnected");
    EXPECT_EQ(comEnable(), "0");
    EXPECT_TRUE(log().contains(port + " is opened\nReceiving N5 configuration data...")) << log().toStdString();
    EXPECT_EQ(lastLogLine(), port + " is closed");
    // The read armed the window's ResponseTimeout (a silent N5 is reported)
    // and the complete image stopped it.
    EXPECT_TRUE(timerRecorded(ClockRecord::Kind::TimerStarted, "ResponseTimeout"));
    EXPECT_TRUE(timerRecorded(ClockRecord::Kind::TimerStopped, "ResponseTimeout"));
}

TEST_F(LinkedFrame, WriteDeviceSendsTheWindowsSettingsAndClosesThePortAgain)
{
    start();
    TN5_cfg* n5 = openN5();
    n5->deviceForm().form().type("Edit21", "5001");
    n5->deviceForm().form().leave("Edit21");

    action("WriteDevice1")->trigger();
    ASSERT_TRUE(transferEnded());
    EXPECT_EQ(dialogs.informations, QStringList{"Configuration was sent"});
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(';').toStdString();
    ASSERT_EQ(device->writesStored(), 1);
    DeviceForm written(n5Definition());
    const auto stored = device->image();
    ASSERT_EQ(stored.size(), written.image().size());
    std::copy(stored.begin(), stored.end(), written.image().begin());
    written.decodeImage();
    EXPECT_EQ(written.form().at("Edit21").text, "5001");
    EXPECT_FALSE(frame->progressWindow()->isVisible());
    EXPECT_GT(frame->progressWindow()->progressBar()->value(), 4096); // the whole block counted
    EXPECT_EQ(comEnable(), "0");
    EXPECT_EQ(lastLogLine(), port + " is closed");
}

TEST_F(LinkedFrame, ASilentDeviceIsReportedAsNotRespondingAndThePortClosed)
{
    sim::SimulatorOptions options;
    options.silent = true;
    start(options);
    openN5();
    for (const char* command : {"ReadDevice1", "WriteDevice1"}) {
        SCOPED_TRACE(command);
        dialogs.errors.clear();
        dialogs.abortButtons.clear();
        action(command)->trigger();
        ASSERT_TRUE(waitFor([this] { return !dialogs.errors.isEmpty() && !link().busy(); }));
        EXPECT_EQ(dialogs.errors, QStringList{"Device Not Responding"});
        EXPECT_EQ(dialogs.abortButtons, std::vector<bool>{true});
        EXPECT_FALSE(link().portOpen());
        EXPECT_EQ(comEnable(), "0");
        EXPECT_FALSE(frame->settingsDialog()->comEnabled());
        EXPECT_EQ(frame->statusText(TMainForm::ConnectionPanel), "Disconnected");
        EXPECT_FALSE(frame->progressWindow()->isVisible());
    }
    EXPECT_TRUE(dialogs.informations.isEmpty());
}

TEST_F(LinkedFrame, ConnectAndTheSettingsTickOpenThePortDisconnectClosesIt)
{
    start();
    action("Connect1")->trigger();
    EXPECT_TRUE(link().portOpen());
    EXPECT_EQ(lastLogLine(), port + " is opened");
    EXPECT_EQ(comEnable(), "1");
    EXPECT_TRUE(frame->settingsDialog()->comEnabled());
    EXPECT_EQ(frame->statusText(TMainForm::PortPanel), port);
    EXPECT_EQ(frame->statusText(TMainForm::ConnectionPanel), "Connected");

    action("Disconnect1")->trigger();
    EXPECT_FALSE(link().portOpen());
    EXPECT_EQ(lastLogLine(), port + " is closed");
    EXPECT_EQ(comEnable(), "0");
    EXPECT_FALSE(frame->settingsDialog()->comEnabled());
    EXPECT_EQ(frame->statusText(TMainForm::ConnectionPanel), "Disconnected");

    // The dialog shows the typed port it was given and opens it on OK.
    TForm2* settingsDialog = frame->settingsDialog();
    EXPECT_EQ(settingsDialog->portList()->currentText(), port);
    settingsDialog->setComEnabled(true);
    settingsDialog->Button1Click();
    EXPECT_TRUE(link().portOpen());
    EXPECT_EQ(lastLogLine(), port + " is opened");
    EXPECT_EQ(comEnable(), "1");
    EXPECT_TRUE(dialogs.errors.isEmpty());

    action("Clear1")->trigger();
    EXPECT_TRUE(log().isEmpty());
    EXPECT_TRUE(link().terminalLog().text().empty());
}

TEST_F(LinkedFrame, KeysTypedIntoTheLogReachTheDevice)
{
    start();
    action("Connect1")->trigger();
    QTest::keyClick(frame->terminalLog(), Qt::Key_Return);
    QTest::keyClicks(frame->terminalLog(), "GetTimer");
    EXPECT_TRUE(waitFor([this] { return deviceSaw("<- GetTimer   (no answer)"); }));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(LinkedFrame, APortThatDoesNotExistIsReportedAndComEnableStaysOff)
{
    makeFrame(QStringLiteral("/dev/wendax-no-such-port"));
    openN5();
    for (const char* command : {"Connect1", "ReadDevice1", "WriteDevice1"})
        action(command)->trigger();
    ASSERT_EQ(dialogs.errors.size(), 3);
    for (const QString& error : dialogs.errors)
        EXPECT_TRUE(error.startsWith("Cannot open /dev/wendax-no-such-port: ")) << error.toStdString();
    EXPECT_FALSE(link().portOpen());
    EXPECT_EQ(comEnable(), "0");
    EXPECT_FALSE(frame->settingsDialog()->comEnabled());
    EXPECT_EQ(frame->statusText(TMainForm::ConnectionPanel), "Disconnected");
    EXPECT_FALSE(log().contains(" is opened"));
    EXPECT_FALSE(frame->progressWindow()->isVisible());
    EXPECT_FALSE(timerRecorded(ClockRecord::Kind::TimerStarted, "ResponseTimeout"));
}

TEST_F(LinkedFrame, ThePortClosingTimerWaitsWhileAReceiveEventIsHandled)
{
    start();
    openN5();
    action("Connect1")->trigger();
    auto ticks = [this] {
        const auto records = clock.records();
        return std::count_if(records.begin(), records.end(), [](const ClockRecord& r) {
            return r.kind == ClockRecord::Kind::TimerFired && r.name == "port-closing timer";
        });
    };
    bool openDuringMessage = false;
    bool timerActiveDuringMessage = false;
    dialogs.whileShowing = [&](const QString&) { // a modal box runs the event loop
        EXPECT_TRUE(waitFor([&] { return ticks() >= 2; }));
        openDuringMessage = link().portOpen();
        timerActiveDuringMessage = link().portClosingTimerActive();
    };
    link().startPortClosingTimer();
    const std::string answer = "\r\nCfgOK\r\n";
    link().comPort1RxChar(std::span(reinterpret_cast<const std::uint8_t*>(answer.data()), answer.size()));
    EXPECT_EQ(dialogs.informations, QStringList{"Configuration was sent"});
    EXPECT_TRUE(openDuringMessage);
    EXPECT_TRUE(timerActiveDuringMessage);
    EXPECT_TRUE(waitFor([this] { return !link().portOpen() && !link().portClosingTimerActive(); }));
    EXPECT_EQ(comEnable(), "0");
}

} // namespace
