#include "program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace wendax::gui {

ProgramFolders::ProgramFolders(QString programFolder, QString userDataFolder, bool programFolderWritable)
    : m_programFolder(QDir::cleanPath(std::move(programFolder)))
    , m_userDataFolder(QDir::cleanPath(std::move(userDataFolder)))
    , m_writable(programFolderWritable)
{
}

ProgramFolders ProgramFolders::forRunningProgram()
{
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return detect(QCoreApplication::applicationDirPath(), userData);
}

ProgramFolders ProgramFolders::detect(const QString& programFolder, const QString& userDataFolder)
{
    return ProgramFolders(programFolder, userDataFolder, canWriteIn(programFolder));
}

bool ProgramFolders::canWriteIn(const QString& folder)
{
    // Permission bits do not tell (ACLs, read-only mounts); creating a file does.
    QTemporaryFile probe(folder + QStringLiteral("/.wendax-write-probe-XXXXXX"));
    return probe.open();
}

QString ProgramFolders::shippedFolder(const QString& name) const
{
    return m_programFolder + QLatin1Char('/') + name;
}

QString ProgramFolders::writableFolder(const QString& name) const
{
    const QString folder = writableRoot() + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    return folder;
}

} // namespace wendax::gui
