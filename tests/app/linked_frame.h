#pragma once
// A frame over its own link, whose port is a simulated device on a
// pseudo-terminal.
#include "app_fakes.h"

#include "app/frame_link_commands.h"
#include "app/main_form.h"
#include "devices/N5/n5_window.h"
#include "link/frame_link.h"
#include "tools/simulator/simulator.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace wendax::gui::testing {

/// The protocol runs this many times faster than real time: a silent N5 is
/// reported after 300 ms instead of 3 s, every period in its order.
constexpr int kSpeedUp = 10;

inline bool waitFor(const std::function<bool()>& done, int boundMs = 10000)
{
    return QTest::qWaitFor(done, boundMs);
}

struct LinkedFrame : ::testing::Test {
    TestFolders folders;
    std::unique_ptr<SettingsStore> settings = folders.settings();
    ScriptedDialogs dialogs;
    QtClock clock{kSpeedUp};
    std::unique_ptr<sim::Simulator> device;
    std::mutex eventsMutex;
    std::vector<std::string> deviceEvents; ///< written on the simulator's thread
    std::unique_ptr<TMainForm> frame;
    QString port;

    /// A frame whose "COM" setting is `portName`.
    void makeFrame(const QString& portName)
    {
        port = portName;
        settings->WriteSetting(SettingsStore::kCom, port);
        FrameDependencies deps;
        deps.settings = settings.get();
        deps.folders = folders.folders();
        deps.dialogs = &dialogs;
        deps.listPorts = [] { return QStringList(); };
        deps.link = LinkOptions{&clock, nullptr};
        frame = std::make_unique<TMainForm>(std::move(deps));
        clock.setRecording(true);
    }

    /// A frame whose port is a simulated device, an N5 unless `options` say otherwise.
    void start(sim::SimulatorOptions options = {})
    {
        std::string error;
        device = sim::startSimulator(
            std::move(options),
            [this](const std::string& line) {
                const std::scoped_lock lock(eventsMutex);
                deviceEvents.push_back(line);
            },
            error);
        ASSERT_NE(device, nullptr) << error;
        makeFrame(QString::fromStdString(device->path()));
    }

    void TearDown() override
    {
        frame.reset(); // the port closes before the device goes
        device.reset();
    }

    FrameLink& link() { return *frame->frameLink(); }
    QAction* action(const char* name) const { return frame->findChild<QAction*>(name); }
    TN5_cfg* openN5() { return static_cast<TN5_cfg*>(frame->openDeviceWindow(Model::N5)); }
    QString comEnable() const { return settings->ReadSetting(SettingsStore::kComEnable); }
    QString log() const { return frame->terminalLog()->toPlainText(); }
    QString lastLogLine() const { return log().section(QLatin1Char('\n'), -1); }

    bool transferEnded()
    {
        return waitFor([this] { return !dialogs.informations.isEmpty() && !link().busy() && !link().portOpen(); });
    }
    bool timerRecorded(ClockRecord::Kind kind, std::string_view name) const
    {
        const auto records = clock.records();
        return std::any_of(records.begin(), records.end(),
                           [&](const ClockRecord& r) { return r.kind == kind && r.name == name; });
    }
    bool deviceSaw(const std::string& event)
    {
        const std::scoped_lock lock(eventsMutex);
        return std::find(deviceEvents.begin(), deviceEvents.end(), event) != deviceEvents.end();
    }
};

} // namespace wendax::gui::testing
