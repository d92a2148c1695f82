#include "app_fakes.h"

#include "app/language/lng_file.h"
#include "app/language_hook.h"
#include "app/main_form.h"
#include "devices/N5/n5_layout.h"
#include "devices/N5/n5_window.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace wendax;
using namespace wendax::gui;
using namespace wendax::gui::testing;

namespace {

struct LanguageWiring : ::testing::Test {
    TestFolders folders;
    std::unique_ptr<SettingsStore> settings = folders.settings();
    ScriptedDialogs dialogs;
    RecordingCommands commands;

    QString languageFolder() const { return folders.program() + "/Language"; }

    void writeLanguageFile(const QString& name, LngFile file)
    {
        ASSERT_TRUE(QDir().mkpath(languageFolder()));
        writeLngFile(languageFolder() + "/" + name, file);
    }

    std::unique_ptr<TMainForm> makeFrame()
    {
        FrameDependencies deps;
        deps.settings = settings.get();
        deps.folders = folders.folders();
        deps.dialogs = &dialogs;
        deps.commands = &commands;
        deps.listPorts = [] { return QStringList(); };
        deps.applyLanguage = makeLanguageHook(*settings, deps.folders);
        return std::make_unique<TMainForm>(std::move(deps));
    }
};

TEST_F(LanguageWiring, FrameTakesTheSelectedLanguageOfMainLng)
{
    writeLanguageFile("Main.lng", {{"English", "Deutsch"},
                                   {{"TMenuItem(File1.Caption)", {"&File", "&Datei"}},
                                    {"MainForm", {"Wendax", "Wendax DE"}}}});
    settings->WriteSetting(SettingsStore::kLanguage, "Deutsch");
    const auto frame = makeFrame();
    EXPECT_EQ(frame->findChild<QAction*>("File1")->text(), "&Datei");
    EXPECT_EQ(frame->windowTitle(), "Wendax DE");
    EXPECT_EQ(frame->languageNames(), (QStringList{"English", "Deutsch"}));
    EXPECT_EQ(frame->activeLanguage(), "Deutsch");
    EXPECT_TRUE(QFile::exists(languageFolder() + "/Main_Default.lng"));
    EXPECT_TRUE(QFile::exists(languageFolder() + "/Main_Checked.lng"));
}

TEST_F(LanguageWiring, AMissingLanguageFileKeepsTheBuiltInTexts)
{
    const auto frame = makeFrame();
    EXPECT_EQ(frame->findChild<QAction*>("File1")->text(), "&File");
    EXPECT_TRUE(frame->languageNames().isEmpty());
}

TEST_F(LanguageWiring, DeviceWindowIsTranslatedBeforeItsDefaultConfigurationIsLoaded)
{
    // A default configuration with a test time of 15 minutes...
    DeviceForm source(n5Definition());
    source.form().type("Edit3", "15");
    ConfigFileBuffer files;
    ASSERT_FALSE(source.saveImage(files).has_value());
    ASSERT_TRUE(QDir().mkpath(folders.program() + "/DefaultConfig"));
    QFile defaults(folders.program() + "/DefaultConfig/N5_Default.vcfg");
    ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
    defaults.write(reinterpret_cast<const char*>(files.head(8192).data()), 8192);
    defaults.close();
    // ...and a language file that, like every default file, carries the edit texts.
    writeLanguageFile("N5.lng", {{"English", "Deutsch"},
                                 {{"TEdit(Edit3.Text)", {"0", "0"}},
                                  {"TTreeView(TreeView1.Item[2])", {"Outputs", "Ausgänge"}}}});
    settings->WriteSetting(SettingsStore::kLanguage, "Deutsch");

    const auto frame = makeFrame();
    auto* window = static_cast<TN5_cfg*>(frame->openDeviceWindow(Model::N5));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->findChild<QLineEdit*>("Edit3")->text(), "15") << "the loaded setting survives";
    EXPECT_EQ(window->treeView()->topLevelItem(0)->child(1)->text(0), "Ausgänge");
    EXPECT_EQ(window->deviceForm().form().at("Edit3").text, "15");
}

} // namespace
