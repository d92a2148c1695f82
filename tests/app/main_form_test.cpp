#include "app_fakes.h"

#include "app/device_window.h"
#include "app/messages.h"
#include "devices/N5/n5_window.h"
#include "devices/common/messages.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace wendax;
using namespace wendax::gui;
using namespace wendax::gui::testing;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct Frame : ::testing::Test {
    TestFolders folders;
    std::unique_ptr<SettingsStore> settings = folders.settings();
    ScriptedDialogs dialogs;
    RecordingCommands commands;
    std::unique_ptr<TMainForm> frame;

    void SetUp() override { frame = make(&commands); }

    std::unique_ptr<TMainForm> make(DeviceCommands* deviceCommands)
    {
        FrameDependencies deps;
        deps.settings = settings.get();
        deps.folders = folders.folders();
        deps.dialogs = &dialogs;
        deps.commands = deviceCommands;
        deps.listPorts = [] { return QStringList(); };
        return std::make_unique<TMainForm>(std::move(deps));
    }
    QAction* action(const char* name) const { return frame->findChild<QAction*>(name); }
    QString myConfig(const char* name) const { return folders.folders().myConfig() + "/" + name; }
    TN5_cfg* openN5() { return static_cast<TN5_cfg*>(frame->openDeviceWindow(Model::N5)); }
};

TEST_F(Frame, StartsDisconnectedWithNoFileAndItsMenus)
{
    EXPECT_EQ(frame->windowTitle(), "Wendax");
    EXPECT_EQ(frame->size(), QSize(800, 600));
    EXPECT_EQ(frame->objectName(), "MainForm");
    EXPECT_EQ(frame->statusText(TMainForm::ConnectionPanel), "Disconnected");
    EXPECT_EQ(frame->currentFileName(), "1");

    QStringList bar;
    for (QAction* item : frame->menuBar()->actions())
        bar << item->text();
    EXPECT_EQ(bar, (QStringList{"&File", "Settings", "Devices", "Update", "&Help"}));

    QStringList file;
    for (QAction* item : action("File1")->menu()->actions())
        file << (item->isSeparator() ? "-" : item->text() + " " + item->shortcut().toString());
    EXPECT_EQ(file, (QStringList{"&Open Ctrl+O", "&Close ", "&Save Ctrl+S", "Save &As... ", "-", "Read Device ",
                                 "Write Device ", "-", "E&xit "}));
    EXPECT_EQ(action("SaveAs1")->toolTip(), "Save As");
    EXPECT_EQ(action("SaveAs1")->property("hint").toString(), "Save As|Save current file with different name");
}

TEST_F(Frame, DevicesMenuListsEveryModelAndEnablesOnlyBuiltWindows)
{
    struct Item {
        QString caption;
        bool visible;
        bool enabled;
    };
    std::vector<Item> items;
    for (QAction* item : action("Devices1")->menu()->actions())
        items.push_back({item->text(), item->isVisible(), item->isEnabled()});
    const std::vector<Item> expected{{"N5", true, true},   {"N9", true, false},  {"N14v2", false, false},
                                     {"MT5", true, false}, {"MT6", true, false}, {"RX8", true, false},
                                     {"PL3", true, true}};
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].caption, expected[i].caption);
        EXPECT_EQ(items[i].visible, expected[i].visible) << i;
        EXPECT_EQ(items[i].enabled, expected[i].enabled) << i;
    }
}

TEST_F(Frame, DeviceCommandsStayDisabledUntilTheLinkIsGiven)
{
    auto unwired = make(nullptr);
    for (const char* name : {"ReadDevice1", "WriteDevice1", "Update1", "Connect1", "Disconnect1", "ReceiveConfig1",
                             "SendConfig1", "Report1"}) {
        EXPECT_FALSE(unwired->findChild<QAction*>(name)->isEnabled()) << name;
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    }
}

TEST_F(Frame, WithNoWindowOnlyReadDeviceReachesTheLinkAndOpenOnlyFillsTheBuffer)
{
    action("ReadDevice1")->trigger();
    action("WriteDevice1")->trigger();
    action("Update1")->trigger();
    action("Report1")->trigger();
    ASSERT_EQ(commands.calls.size(), 1u);
    EXPECT_EQ(commands.calls[0].command, "read");
    EXPECT_EQ(commands.calls[0].window, nullptr);

    writeFile(myConfig("any.vcfg"), QByteArray(100, 'x'));
    dialogs.openNames = {myConfig("any.vcfg")};
    action("Open1")->trigger();
    EXPECT_EQ(frame->files().lastReadLength(), 100u);
    EXPECT_EQ(dialogs.openShown.at(0).initialFolder, folders.program() + "/MyConfig");
    EXPECT_EQ(dialogs.openShown.at(0).filter, "Configuration files (*.vcfg)");
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(Frame, CommandsReachTheN5WindowAsItsClassRoutes)
{
    TN5_cfg* n5 = openN5();
    ASSERT_NE(n5, nullptr);
    EXPECT_EQ(frame->activeDeviceWindow(), n5);
    action("ReadDevice1")->trigger();
    action("WriteDevice1")->trigger();
    action("Update1")->trigger();
    action("Report1")->trigger(); // reports are MT43's alone
    std::vector<std::string> seen;
    for (const auto& call : commands.calls) {
        seen.push_back(call.command);
        EXPECT_EQ(call.window, n5);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"read", "write", "update"}));
}

TEST_F(Frame, OneDeviceWindowAtATimeAndItsItemCheckedAndDisabled)
{
    QPointer<DeviceWindow> first = openN5();
    QAction* n5Item = action("N51");
    EXPECT_TRUE(n5Item->isChecked());
    EXPECT_FALSE(n5Item->isEnabled());

    QPointer<DeviceWindow> second = openN5();
    EXPECT_TRUE(first.isNull() || first->isClosed());
    EXPECT_EQ(frame->activeDeviceWindow(), second);
    EXPECT_TRUE(n5Item->isChecked());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());

    QSignalSpy closed(second.data(), &DeviceWindow::closed);
    action("Close1")->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(frame->activeDeviceWindow(), nullptr);
    EXPECT_FALSE(n5Item->isChecked());
    EXPECT_TRUE(n5Item->isEnabled());
}

TEST_F(Frame, SaveThenOpenInAFreshN5WindowRestoresEverySetting)
{
    TN5_cfg* n5 = openN5();
    FormState& form = n5->deviceForm().form();
    form.type("Edit2", "1A2F");
    form.type("Edit3", "45");
    form.type("Edit4", "192");
    form.type("Edit23", "10");
    form.type("Edit21", "5001");
    for (const char* macByte : {"Edit31", "Edit32", "Edit33", "Edit34", "Edit35", "Edit36"})
        form.type(macByte, "A5"); // decoding shows two digits
    form.type("Edit37", "abcdef");
    form.type("Edit1", "4464");
    form.type("Edit16", "30");
    form.type("Edit18", "90");
    form.setChecked("CheckBox2", true);
    form.setChecked("CheckBox1", true);
    form.setChecked("CheckBox5", true);
    form.setChecked("CheckBox4", true);
    form.choose("ComboBox1", 2); // RRK1: transport UDP, slave address enabled
    form.type("Edit17", "7");
    form.choose("ComboBox8", 3);
    form.choose("ComboBox9", 4);
    Dataset& inputs = form.dataset("ClientDataSet1");
    inputs.edit(1, *inputs.fieldIndex("Alarm_Code"), std::string("12345ABCD"));
    inputs.toggle(2, *inputs.fieldIndex("Alarm"));
    inputs.toggle(3, *inputs.fieldIndex("Restore"));
    Dataset& events = form.dataset("ClientDataSet2");
    events.edit(2, *events.fieldIndex("Event_Code"), std::string("FEDCBA987"));

    dialogs.saveNames = {myConfig("n5.vcfg")};
    action("Save1")->trigger();
    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(';').toStdString();
    EXPECT_EQ(QFileInfo(myConfig("n5.vcfg")).size(), 8192);
    EXPECT_EQ(frame->currentFileName(), myConfig("n5.vcfg"));
    const FormState saved = form; // what the window showed

    TN5_cfg* fresh = openN5();
    EXPECT_EQ(frame->currentFileName(), "1"); // a new window makes Save ask again
    EXPECT_NE(fresh->deviceForm().form().at("Edit2").text, "1A2F");
    dialogs.openNames = {myConfig("n5.vcfg")};
    action("Open1")->trigger();
    const FormState& loaded = fresh->deviceForm().form();
    for (const Control& control : saved.controls()) {
        const Control& now = loaded.at(control.name);
        EXPECT_EQ(now.text, control.text) << control.name;
        EXPECT_EQ(now.checked, control.checked) << control.name;
        EXPECT_EQ(now.itemIndex, control.itemIndex) << control.name;
        EXPECT_EQ(now.enabled, control.enabled) << control.name;
    }
    for (const Dataset& table : saved.datasets()) {
        const Dataset& now = loaded.dataset(table.name());
        for (std::size_t row = 0; row < table.rowCount(); ++row)
            for (std::size_t field = 0; field < table.fields().size(); ++field)
                EXPECT_EQ(now.cell(row, field), table.cell(row, field)) << table.name() << " " << row << " " << field;
    }
}

TEST_F(Frame, OverwriteAnsweredNoOrCancelLeavesTheFileByteForByte)
{
    openN5();
    const QString path = myConfig("kept.vcfg");
    const QByteArray original("a configuration kept by the user");
    writeFile(path, original);
    for (const auto answer : {UserDialogs::Answer::No, UserDialogs::Answer::Cancel}) {
        dialogs.saveNames = {path};
        dialogs.answers = {answer};
        action("SaveAs1")->trigger();
        EXPECT_EQ(readAll(path), original);
    }
    EXPECT_EQ(dialogs.questions, (QStringList{"Save owerwrite?", "Save owerwrite?"}));
    EXPECT_EQ(frame->currentFileName(), "1");

    dialogs.saveNames = {path};
    dialogs.answers = {UserDialogs::Answer::Yes};
    action("SaveAs1")->trigger();
    EXPECT_EQ(readAll(path).size(), 8192);
}

TEST_F(Frame, FirstSaveOfARunAsksForANameEvenAfterAnOpen)
{
    openN5();
    dialogs.saveNames = {myConfig("first.vcfg")};
    action("Save1")->trigger();
    ASSERT_EQ(dialogs.saveShown.size(), 1u);

    // A later run: a fresh frame opens that file, then saves.
    frame = make(&commands);
    openN5();
    dialogs.openNames = {myConfig("first.vcfg")};
    action("Open1")->trigger();
    EXPECT_EQ(frame->currentFileName(), "1");
    dialogs.saveNames = {myConfig("second.vcfg")};
    action("Save1")->trigger();
    ASSERT_EQ(dialogs.saveShown.size(), 2u);
    const UserDialogs::FileChoice& shown = dialogs.saveShown.back();
    EXPECT_EQ(shown.fileName, "1"); // the dialog is preset to the current file name
    EXPECT_EQ(shown.defaultSuffix, "vcfg");
    EXPECT_EQ(shown.initialFolder, folders.program() + "/MyConfig");
    EXPECT_TRUE(QFileInfo::exists(myConfig("second.vcfg")));

    // Once named, Save writes there without asking.
    action("Save1")->trigger();
    EXPECT_EQ(dialogs.saveShown.size(), 2u);
}

TEST_F(Frame, SaveWithoutAConfigurationWindowIsRefusedAndWritesNothing)
{
    dialogs.saveNames = {myConfig("empty.vcfg")};
    action("Save1")->trigger();
    EXPECT_EQ(dialogs.errors, QStringList{gui::msg::kNothingToSave});
    EXPECT_TRUE(dialogs.saveShown.empty());
    EXPECT_FALSE(QFileInfo::exists(myConfig("empty.vcfg")));
}

TEST_F(Frame, EncodeFailureShowsItsMessageAndWritesNothing)
{
    TN5_cfg* n5 = openN5();
    n5->deviceForm().form().type("Edit16", ""); // PING time has no exit rule
    dialogs.saveNames = {myConfig("broken.vcfg")};
    action("Save1")->trigger();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0].toStdString(), conversionError(""));
    EXPECT_FALSE(QFileInfo::exists(myConfig("broken.vcfg")));
    EXPECT_EQ(frame->currentFileName(), "1");
}

TEST_F(Frame, OpenRefusesAFileTooLongOrUnreadableAndKeepsTheBuffer)
{
    writeFile(myConfig("small.vcfg"), QByteArray(10, 'a'));
    writeFile(myConfig("huge.vcfg"), QByteArray(38145, 'b'));
    dialogs.openNames = {myConfig("small.vcfg"), myConfig("huge.vcfg"), myConfig("missing.vcfg")};
    for (int i = 0; i < 3; ++i)
        action("Open1")->trigger();
    EXPECT_EQ(frame->files().lastReadLength(), 10u);
    EXPECT_EQ(frame->files().head(1)[0], 'a');
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors[0].contains("38145 bytes")) << dialogs.errors[0].toStdString();
    EXPECT_TRUE(dialogs.errors[1].contains("missing.vcfg"));

    writeFile(myConfig("exact.vcfg"), QByteArray(38144, 'c'));
    dialogs.openNames = {myConfig("exact.vcfg")};
    action("Open1")->trigger();
    EXPECT_EQ(frame->files().lastReadLength(), 38144u);
}

TEST_F(Frame, ClosingStoresTheCurrentFileName)
{
    frame->close();
    EXPECT_EQ(settings->ReadSetting(SettingsStore::kFileName), "1");
}

TEST_F(Frame, TypedLogKeysGoToThePortAndClearEmptiesTheLog)
{
    QSignalSpy typed(frame.get(), &TMainForm::keyTyped);
    QTest::keyClicks(frame->terminalLog(), "AT");
    QTest::keyClick(frame->terminalLog(), Qt::Key_Return);
    EXPECT_EQ(commands.sent, "AT\r");
    EXPECT_EQ(typed.count(), 3);
    frame->logLine("COM3 is closed");
    EXPECT_EQ(frame->terminalLog()->toPlainText(), "COM3 is closed");
    action("Clear1")->trigger();
    EXPECT_TRUE(frame->terminalLog()->toPlainText().isEmpty());
}

TEST_F(Frame, HintsShowInTheFirstStatusPanel)
{
    action("FileOpen1")->showStatusText(frame.get());
    EXPECT_EQ(frame->statusText(TMainForm::HintPanel), "Open");
}

} // namespace
