#pragma once
#include "app/device_commands.h"
#include "app/main_form.h"
#include "app/settings_store.h"
#include "app/user_dialogs.h"

#include <QDir>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wendax::gui::testing {

/// Answers the program's questions from a script and records what it showed.
class ScriptedDialogs final : public UserDialogs {
public:
    std::deque<QString> openNames;   ///< next answers of the Open dialog; "" cancels
    std::deque<QString> saveNames;   ///< next answers of the Save dialog; "" cancels
    std::deque<Answer> answers;      ///< next answers to Yes/No/Cancel questions
    std::vector<FileChoice> openShown;
    std::vector<FileChoice> saveShown;
    QStringList questions;
    QStringList informations;
    QStringList errors;
    std::vector<bool> abortButtons; ///< per error: Abort instead of OK
    std::vector<std::pair<QString, QString>> okCancelBoxes; ///< title and text of each
    /// Runs inside inform() and error(), as a modal box runs the event loop.
    std::function<void(const QString&)> whileShowing;

    QString openFileName(const FileChoice& choice) override
    {
        openShown.push_back(choice);
        return take(openNames);
    }
    QString saveFileName(const FileChoice& choice) override
    {
        saveShown.push_back(choice);
        return take(saveNames);
    }
    Answer askYesNoCancel(const QString& question) override
    {
        questions << question;
        if (answers.empty())
            return Answer::Cancel;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void inform(const QString& text) override
    {
        informations << text;
        if (whileShowing)
            whileShowing(text);
    }
    void error(const QString& text, bool abortButton) override
    {
        errors << text;
        abortButtons.push_back(abortButton);
        if (whileShowing)
            whileShowing(text);
    }
    void warnOkCancel(const QString& title, const QString& text) override
    {
        okCancelBoxes.emplace_back(title, text);
        if (whileShowing)
            whileShowing(text);
    }

private:
    static QString take(std::deque<QString>& names)
    {
        if (names.empty())
            return {};
        QString name = names.front();
        names.pop_front();
        return name;
    }
};

/// Records which device command reached which window.
class RecordingCommands final : public DeviceCommands {
public:
    struct Call {
        std::string command;
        DeviceWindow* window;
    };
    std::vector<Call> calls;
    bool receiving = false;
    bool open = false;
    std::string sent;

    void readDevice(DeviceWindow* active) override { calls.push_back({"read", active}); }
    void writeDevice(DeviceWindow& window) override { calls.push_back({"write", &window}); }
    void startFirmwareUpdate(DeviceWindow& window) override { calls.push_back({"update", &window}); }
    void printReport(DeviceWindow& window) override { calls.push_back({"report", &window}); }
    void applyComEnable(bool enabled) override
    {
        calls.push_back({enabled ? "port on" : "port off", nullptr});
        open = enabled;
    }
    bool portOpen() const override { return open; }
    bool receiveInProgress() const override { return receiving; }
    void sendByte(char byte) override { sent.push_back(byte); }
};

/// A program folder, a per-user folder and settings stores, all temporary.
struct TestFolders {
    QTemporaryDir root;
    QString program() const { return root.path() + QStringLiteral("/program"); }
    QString user() const { return root.path() + QStringLiteral("/user"); }
    QString userSettings() const { return root.path() + QStringLiteral("/user.ini"); }
    QString machineSettings() const { return root.path() + QStringLiteral("/machine.ini"); }

    TestFolders()
    {
        QDir().mkpath(program());
        QDir().mkpath(user());
    }
    std::unique_ptr<SettingsStore> settings() const
    {
        return std::make_unique<SettingsStore>(std::make_unique<QSettings>(userSettings(), QSettings::IniFormat),
                                               std::make_unique<QSettings>(machineSettings(), QSettings::IniFormat));
    }
    ProgramFolders folders() const { return ProgramFolders(program(), user(), true); }
};

} // namespace wendax::gui::testing
