#include "device_window.h"
#include "language_hook.h"
#include "main_form.h"
#include "settings_store.h"

#include "core/model_keys.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>

using namespace wendax;
using namespace wendax::gui;

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
    parser.addOption(device);
    parser.addOption(page);
    parser.addOption(screenshot);
    parser.process(app);

    const std::unique_ptr<SettingsStore> settings = SettingsStore::openSystem();
    FrameDependencies dependencies;
    dependencies.settings = settings.get();
    dependencies.folders = ProgramFolders::forRunningProgram();
    dependencies.applyLanguage = makeLanguageHook(*settings, dependencies.folders);
    TMainForm frame(std::move(dependencies));
    frame.show();

    if (parser.isSet(device)) {
        const auto model = parseModelName(parser.value(device).toStdString());
        DeviceWindow* window = model ? frame.openDeviceWindow(*model) : nullptr;
        if (window == nullptr) {
            std::fprintf(stderr, "wendax: no window for model %s\n", qPrintable(parser.value(device)));
            return 2;
        }
        if (parser.isSet(page) && !window->showPageOf(parser.value(page).toInt())) {
            std::fprintf(stderr, "wendax: no page %s\n", qPrintable(parser.value(page)));
            return 2;
        }
    }
    if (parser.isSet(screenshot)) {
        const QString path = parser.value(screenshot);
        QTimer::singleShot(0, &frame, [&frame, path] {
            const bool saved = frame.grab().save(path, "PNG");
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
