#include "app_fakes.h"

#include "app/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

using namespace wendax::gui;
using namespace wendax::gui::testing;

namespace {

QString stored(const QString& file, const QString& name)
{
    return QSettings(file, QSettings::IniFormat).value(name).toString();
}

TEST(SettingsStore, MachineWideValueIsUsedAndCopiedToTheUser)
{
    TestFolders folders;
    QSettings(folders.machineSettings(), QSettings::IniFormat).setValue("COM", "COM3");
    auto settings = folders.settings();
    EXPECT_EQ(settings->ReadSetting(SettingsStore::kCom), "COM3");
    EXPECT_EQ(stored(folders.userSettings(), "COM"), "COM3");
}

TEST(SettingsStore, UserValueWinsAndAMissingValueReadsEmpty)
{
    TestFolders folders;
    QSettings(folders.machineSettings(), QSettings::IniFormat).setValue("Language", "Deutsch");
    auto settings = folders.settings();
    settings->WriteSetting(SettingsStore::kLanguage, "English");
    EXPECT_EQ(settings->ReadSetting(SettingsStore::kLanguage), "English");
    EXPECT_EQ(settings->ReadSetting(SettingsStore::kComEnable), "");
    // Even the empty machine-wide value is copied to the user.
    EXPECT_TRUE(QSettings(folders.userSettings(), QSettings::IniFormat).contains("COM enable"));
}

// A simulated device's port is the port of that run only.
TEST(SettingsStore, AValueHeldForTheRunIsReadAndWrittenWithoutTheStore)
{
    TestFolders folders;
    auto settings = folders.settings();
    settings->WriteSetting(SettingsStore::kCom, "COM3");
    settings->holdForThisRun(SettingsStore::kCom, "/dev/pts/9");
    EXPECT_EQ(settings->ReadSetting(SettingsStore::kCom), "/dev/pts/9");
    settings->WriteSetting(SettingsStore::kCom, "/dev/pts/10");
    EXPECT_EQ(settings->ReadSetting(SettingsStore::kCom), "/dev/pts/10");
    EXPECT_EQ(stored(folders.userSettings(), "COM"), "COM3");
    EXPECT_EQ(folders.settings()->ReadSetting(SettingsStore::kCom), "COM3"); // the next run
}

struct SettingsDialog : ::testing::Test {
    TestFolders folders;
    std::unique_ptr<SettingsStore> settings = folders.settings();
    QStringList ports{"/dev/ttyS0", "/dev/ttyUSB0"};
    QStringList log;
    std::vector<bool> applied;
    bool portOpen = false;

    std::unique_ptr<TForm2> make()
    {
        TForm2::Hooks hooks;
        hooks.listPorts = [this] { return ports; };
        hooks.applyComEnable = [this](bool enabled) { applied.push_back(enabled); };
        hooks.portOpen = [this] { return portOpen; };
        hooks.logLine = [this](const QString& line) { log << line; };
        hooks.languageNames = [] { return QStringList{"English", "Lietuviu"}; };
        hooks.activeLanguage = [] { return QStringLiteral("Lietuviu"); };
        return std::make_unique<TForm2>(*settings, std::move(hooks));
    }
};

TEST_F(SettingsDialog, FreshSettingsChooseNothingAndOkLogsTheClosedEmptyPort)
{
    auto dialog = make();
    EXPECT_EQ(dialog->portList()->currentIndex(), -1);
    EXPECT_EQ(dialog->portList()->count(), 2);
    EXPECT_FALSE(dialog->comEnabled());
    EXPECT_TRUE(dialog->findChild<QCheckBox*>("CheckBox1")->isHidden());
    dialog->Button1Click();
    EXPECT_EQ(stored(folders.userSettings(), "COMindex"), "-1");
    EXPECT_EQ(stored(folders.userSettings(), "COM"), "");
    EXPECT_EQ(stored(folders.userSettings(), "COM enable"), "0");
    EXPECT_EQ(log, QStringList{" is closed"});
    EXPECT_TRUE(applied.empty()); // no port was open
}

TEST_F(SettingsDialog, StoredPositionSelectsThePortAndATypedPathIsTaken)
{
    settings->WriteSetting(SettingsStore::kComIndex, "1");
    auto dialog = make();
    EXPECT_EQ(dialog->portList()->currentText(), "/dev/ttyUSB0");
    dialog->portList()->setEditText("/dev/pts/7");
    dialog->Button1Click();
    EXPECT_EQ(stored(folders.userSettings(), "COM"), "/dev/pts/7");
    EXPECT_EQ(stored(folders.userSettings(), "COMindex"), "-1");
}

// Without it the next OK would store an empty port name over the typed one.
TEST_F(SettingsDialog, ATypedPortWithoutAPositionIsShownAgainAndKeptByOk)
{
    settings->WriteSetting(SettingsStore::kCom, "/dev/pts/7");
    settings->WriteSetting(SettingsStore::kComIndex, "-1");
    auto dialog = make();
    EXPECT_EQ(dialog->portList()->currentIndex(), -1);
    EXPECT_EQ(dialog->portList()->currentText(), "/dev/pts/7");
    dialog->Button1Click();
    EXPECT_EQ(stored(folders.userSettings(), "COM"), "/dev/pts/7");
}

TEST_F(SettingsDialog, MalformedPositionSelectsNothing)
{
    for (const char* index : {"x", "7", "-3"}) {
        settings->WriteSetting(SettingsStore::kComIndex, index);
        EXPECT_EQ(make()->portList()->currentIndex(), -1) << index;
    }
}

TEST_F(SettingsDialog, OkWithTheTickOpensThePortAndWithoutItClosesAnOpenOne)
{
    settings->WriteSetting(SettingsStore::kComEnable, "1");
    settings->WriteSetting(SettingsStore::kComIndex, "0");
    auto dialog = make();
    EXPECT_TRUE(dialog->comEnabled());
    dialog->Button1Click();
    EXPECT_EQ(applied, std::vector<bool>{true});
    EXPECT_EQ(stored(folders.userSettings(), "COM enable"), "1");
    EXPECT_TRUE(log.isEmpty());

    portOpen = true;
    dialog->setComEnabled(false);
    dialog->Button1Click();
    EXPECT_EQ(applied, (std::vector<bool>{true, false}));
    EXPECT_EQ(log, QStringList{"/dev/ttyS0 is closed"});
}

TEST_F(SettingsDialog, ShowingFillsTheLanguagesAndAChoiceIsStored)
{
    auto dialog = make();
    settings->WriteSetting(SettingsStore::kComEnable, "1");
    QString chosen;
    QObject::connect(dialog.get(), &TForm2::languageChosen, [&](const QString& name) { chosen = name; });
    dialog->show();
    EXPECT_TRUE(dialog->comEnabled()); // read again on every activation
    EXPECT_EQ(dialog->languageList()->count(), 2);
    EXPECT_EQ(dialog->languageList()->currentText(), "Lietuviu");
    dialog->ComboBox2Change(0);
    EXPECT_EQ(stored(folders.userSettings(), "Language"), "English");
    EXPECT_EQ(chosen, "English");
    dialog->hide();
}

TEST_F(SettingsDialog, DroppingDownListsThePortsAgainAndKeepsTheTypedText)
{
    auto dialog = make();
    dialog->portList()->setEditText("/dev/pts/3");
    ports << "/dev/ttyACM0";
    dialog->ComboBox1DropDown();
    EXPECT_EQ(dialog->portList()->count(), 3);
    EXPECT_EQ(dialog->portList()->currentText(), "/dev/pts/3");
}

} // namespace
