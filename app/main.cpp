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

/// The command line of the desktop program.
struct StartOptions {
    QCommandLineOption device{QStringLiteral("device"), QStringLiteral("Open the window of MODEL at start."),
                              QStringLiteral("MODEL")};
    QCommandLineOption page{QStringLiteral("page"),
                            QStringLiteral("Show page INDEX of the device window opened with --device."),
                            QStringLiteral("INDEX")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the frame to FILE (PNG) and quit."),
                                  QStringLiteral("FILE")};
    QCommandLineOption simulate{
        QStringLiteral("simulate"),
        QStringLiteral("Start a simulated MODEL device on a pseudo-terminal and use it as the port for this run "
                       "(the stored port setting is kept)."),
        QStringLiteral("MODEL")};
    QCommandLineOption readDevice{QStringLiteral("read-device"),
                                  QStringLiteral("Press Read Device once the window of --device is open.")};
    QCommandLineParser parser;

    explicit StartOptions(const QApplication& app)
    {
        parser.setApplicationDescription(QStringLiteral("Configuration tool for alarm communicators"));
        parser.addHelpOption();
        parser.addOptions({device, page, screenshot, simulate, readDevice});
        parser.process(app);
    }
};

/// Starts the simulated device of --simulate and makes its pseudo-terminal
/// the port of this run. nullptr with a message on the standard error when
/// it cannot be started.
std::unique_ptr<sim::Simulator> startSimulator(const StartOptions& options, SettingsStore& settings)
{
    const auto model = modelOption(options.parser, options.simulate);
    if (!model)
        return nullptr;
    sim::SimulatorOptions simulatorOptions;
    simulatorOptions.model = *model;
    std::string error;
    auto simulator = sim::startSimulator(std::move(simulatorOptions), {}, error);
    if (!simulator) {
        std::fprintf(stderr, "wendax: cannot simulate %s: %s\n", qPrintable(options.parser.value(options.simulate)),
                     error.c_str());
        return nullptr;
    }
    settings.holdForThisRun(SettingsStore::kCom, QString::fromStdString(simulator->path()));
    settings.holdForThisRun(SettingsStore::kComIndex, QStringLiteral("-1"));
    return simulator;
}

/// Opens the window of --device at its --page and presses Read Device if
/// asked. False with a message on the standard error when it cannot.
bool openStartWindow(TMainForm& frame, const StartOptions& options)
{
    const auto model = modelOption(options.parser, options.device);
    DeviceWindow* window = model ? frame.openDeviceWindow(*model) : nullptr;
    if (window == nullptr) {
        std::fprintf(stderr, "wendax: no window for model %s\n", qPrintable(options.parser.value(options.device)));
        return false;
    }
    if (options.parser.isSet(options.page) && !window->showPageOf(options.parser.value(options.page).toInt())) {
        std::fprintf(stderr, "wendax: no page %s\n", qPrintable(options.parser.value(options.page)));
        return false;
    }
    if (options.parser.isSet(options.readDevice))
        frame.ReadDevice1Click();
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Volmera"));
    QApplication::setApplicationName(QStringLiteral("Wendax"));
    const StartOptions options(app);
    const std::unique_ptr<SettingsStore> settings = SettingsStore::openSystem();

    // The simulated device outlives the frame, whose port is open on it.
    std::unique_ptr<sim::Simulator> simulator;
    if (options.parser.isSet(options.simulate)) {
        simulator = startSimulator(options, *settings);
        if (!simulator)
            return 2;
    }

    UnattendedDialogs unattended;
    FrameDependencies dependencies;
    dependencies.settings = settings.get();
    dependencies.folders = ProgramFolders::forRunningProgram();
    dependencies.applyLanguage = makeLanguageHook(*settings, dependencies.folders);
    if (options.parser.isSet(options.screenshot))
        dependencies.dialogs = &unattended;
    dependencies.link = LinkOptions{nullptr, hid::makeHidapiBackend()};
    TMainForm frame(std::move(dependencies));
    frame.show();
    if (simulator) {
        const QString line = msg::simulatorStarted(options.parser.value(options.simulate),
                                                   QString::fromStdString(simulator->path()));
        frame.logLine(line);
        std::fprintf(stderr, "wendax: %s\n", qPrintable(line));
    }
    if (options.parser.isSet(options.device) && !openStartWindow(frame, options))
        return 2;
    if (options.parser.isSet(options.screenshot))
        saveScreenshotWhenIdle(frame, options.parser.value(options.screenshot), 10000);
    return QApplication::exec();
}
