#include "app/program_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using wendax::gui::ProgramFolders;

namespace {

struct Folders : ::testing::Test {
    QTemporaryDir root;
    QString program = root.path() + QStringLiteral("/program");
    QString user = root.path() + QStringLiteral("/user");
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(program)); }
};

TEST_F(Folders, PortableProgramKeepsEveryFolderBesideTheExecutable)
{
    const ProgramFolders folders = ProgramFolders::detect(program, user);
    EXPECT_EQ(folders.myConfig(), program + "/MyConfig");
    EXPECT_TRUE(QFileInfo(folders.myConfig()).isDir()); // the file dialogs open in it
    EXPECT_EQ(folders.defaultConfig(), program + "/DefaultConfig");
    EXPECT_EQ(folders.firmwareUpdates(), program + "/FirmwareUpdates");
    EXPECT_EQ(folders.languageWritable(), program + "/Language");
    EXPECT_FALSE(QFileInfo::exists(user));
}

TEST_F(Folders, InstalledProgramWritesToTheUserFolderAndReadsShippedFilesFromTheInstall)
{
    const ProgramFolders folders(program, user, false);
    EXPECT_EQ(folders.myConfig(), user + "/MyConfig");
    EXPECT_TRUE(QFileInfo(folders.myConfig()).isDir());
    EXPECT_EQ(folders.languageWritable(), user + "/Language");
    EXPECT_EQ(folders.languageShipped(), program + "/Language");
    EXPECT_EQ(folders.defaultConfig(), program + "/DefaultConfig");
    EXPECT_FALSE(QFileInfo::exists(program + "/MyConfig"));
}

TEST_F(Folders, ProbeTellsAFolderThatCannotTakeAFile)
{
    // Below a regular file nothing can be created, whoever runs the test.
    QFile blocker(program + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_TRUE(ProgramFolders::canWriteIn(program));
    EXPECT_FALSE(ProgramFolders::canWriteIn(program + "/blocker"));
    EXPECT_EQ(ProgramFolders::detect(program + "/blocker", user).myConfig(), user + "/MyConfig");
    // The probe leaves nothing behind.
    EXPECT_EQ(QDir(program).entryList(QDir::Files | QDir::Hidden), QStringList{"blocker"});
}

} // namespace
