#include "device_window.h"
#include "language_hook.h"
#include "main_form.h"
#include "messages.h"
#include "settings_store.h"
#include "user_dialogs.h"

#include "core/model_keys.h"
#include "link/frame_link.h"
#include "link/hid/hid_device.h"
#include "tools/simulator/simulator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

using namespace wendax;
using namespace wendax::gui;

namespace {

std::optional<Model> modelOption(const QCommandLineParser& parser, const QCommandLineOption& option)
{
    const auto model = parseModelName(parser.value(option).toStdString());
    if (!model)
        std::fprintf(stderr, "wendax: unknown model %s\n", qPrintable(parser.value(option)));
    return model;
}

/// A screenshot run answers no question: messages go to the standard error
/// and file dialogs are cancelled, so nothing waits for a user.
class UnattendedDialogs final : public UserDialogs {
public:
    QString openFileName(const FileChoice&) override { return {}; }
    QString saveFileName(const FileChoice&) override { return {}; }
    Answer askYesNoCancel(const QString&) override { return Answer::Cancel; }
    void inform(const QString& text) override { std::fprintf(stderr, "wendax: %s\n", qPrintable(text)); }
    void error(const QString& text, bool) override { std::fprintf(stderr, "wendax: error: %s\n", qPrintable(text)); }
    void warnOkCancel(const QString& title, const QString& text) override
    {
        std::fprintf(stderr, "wendax: %s: %s\n", qPrintable(title), qPrintable(text));
    }
};

/// Grabs the frame once the link has nothing left to do and the port is
/// closed again (a Read Device has ended), or after `boundMs` at the latest.
void saveScreenshotWhenIdle(TMainForm& frame, const QString& path, int boundMs)
{
    auto* poll = new QTimer(&frame);
    auto* elapsed = new QElapsedTimer;
    elapsed->start();
    QObject::connect(poll, &QTimer::timeout, &frame, [&frame, path, poll, elapsed, boundMs] {
        const FrameLink* link = frame.frameLink();
        const bool idle = link == nullptr || (!link->busy() && !link->portOpen());
        if (!idle && elapsed->elapsed() < boundMs)
            return;
        poll->stop();
        delete elapsed;
        if (!idle)
            std::fprintf(stderr, "wendax: the link was still busy after %d ms\n", boundMs);
        const bool saved = frame.grab().save(path, "PNG");
        QApplication::exit(saved && idle ? 0 : 1);
    });
    poll->start(20);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Volmera"));
    QApplication::setApplicationName(QStringLiteral("Wendax"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configuration tool for alarm communicators"));
    parser.addHelpOption();
    const QCommandLineOption device(QStringLiteral("device"), QStringLiteral("Open the window of MODEL at start."),
                                    QStringLiteral("MODEL"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the frame to FILE (PNG) and quit."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption page(QStringLiteral("page"),
                                  QStringLiteral("Show page INDEX of the device window opened with --device."),
                                  QStringLiteral("INDEX"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Start a simulated MODEL device on a pseudo-terminal and use it as the port for this run "
                       "(the stored port setting is kept)."),
        QStringLiteral("MODEL"));
    const QCommandLineOption readDevice(QStringLiteral("read-device"),
                                        QStringLiteral("Press Read Device once the window of --device is open."));
    parser.addOption(device);
    parser.addOption(page);
    parser.addOption(screenshot);
    parser.addOption(simulate);
    parser.addOption(readDevice);
    parser.process(app);

    const std::unique_ptr<SettingsStore> settings = SettingsStore::openSystem();

    // The simulated device outlives the frame, whose port is open on it.
    std::unique_ptr<sim::Simulator> simulator;
    if (parser.isSet(simulate)) {
        const auto model = modelOption(parser, simulate);
        if (!model)
            return 2;
        sim::SimulatorOptions options;
        options.model = *model;
        std::string error;
        simulator = sim::startSimulator(std::move(options), {}, error);
        if (!simulator) {
            std::fprintf(stderr, "wendax: cannot simulate %s: %s\n", qPrintable(parser.value(simulate)), error.c_str());
            return 2;
        }
        settings->holdForThisRun(SettingsStore::kCom, QString::fromStdString(simulator->path()));
        settings->holdForThisRun(SettingsStore::kComIndex, QStringLiteral("-1"));
    }

    UnattendedDialogs unattended;
    FrameDependencies dependencies;
    dependencies.settings = settings.get();
    dependencies.folders = ProgramFolders::forRunningProgram();
    dependencies.applyLanguage = makeLanguageHook(*settings, dependencies.folders);
    if (parser.isSet(screenshot))
        dependencies.dialogs = &unattended;
    dependencies.link = LinkOptions{nullptr, hid::makeHidapiBackend()};
    TMainForm frame(std::move(dependencies));
    frame.show();
    if (simulator) {
        const QString line = msg::simulatorStarted(parser.value(simulate), QString::fromStdString(simulator->path()));
        frame.logLine(line);
        std::fprintf(stderr, "wendax: %s\n", qPrintable(line));
    }

    if (parser.isSet(device)) {
        const auto model = modelOption(parser, device);
        DeviceWindow* window = model ? frame.openDeviceWindow(*model) : nullptr;
        if (window == nullptr) {
            std::fprintf(stderr, "wendax: no window for model %s\n", qPrintable(parser.value(device)));
            return 2;
        }
        if (parser.isSet(page) && !window->showPageOf(parser.value(page).toInt())) {
            std::fprintf(stderr, "wendax: no page %s\n", qPrintable(parser.value(page)));
            return 2;
        }
        if (parser.isSet(readDevice))
            frame.ReadDevice1Click();
    }
    if (parser.isSet(screenshot))
        saveScreenshotWhenIdle(frame, parser.value(screenshot), 10000);
    return QApplication::exec();
}
