#pragma once
#include <QString>

/// The desktop program's own texts: captions, hints, messages and log lines.
/// Hints hold a short and a long part separated by "|", as the frame shows them.
namespace wendax::gui::msg {

// --- frame -------------------------------------------------------------------
inline const QString kFrameCaption = QStringLiteral("Wendax");

inline const QString kFileMenu = QStringLiteral("&File");
inline const QString kFileMenuHint = QStringLiteral("File related commands");
inline const QString kOpen = QStringLiteral("&Open");
inline const QString kOpenHint = QStringLiteral("Open|Open a file");
inline const QString kClose = QStringLiteral("&Close");
inline const QString kCloseHint = QStringLiteral("Close|Close current file");
inline const QString kSave = QStringLiteral("&Save");
inline const QString kSaveHint = QStringLiteral("Save|Save current file");
inline const QString kSaveAs = QStringLiteral("Save &As...");
inline const QString kSaveAsHint = QStringLiteral("Save As|Save current file with different name");
inline const QString kReadDevice = QStringLiteral("Read Device");
inline const QString kWriteDevice = QStringLiteral("Write Device");
inline const QString kExit = QStringLiteral("E&xit");
inline const QString kExitHint = QStringLiteral("Exit|Exit application");
inline const QString kSettingsMenu = QStringLiteral("Settings");
inline const QString kDevicesMenu = QStringLiteral("Devices");
inline const QString kUpdateMenu = QStringLiteral("Update");
inline const QString kHelpMenu = QStringLiteral("&Help");
inline const QString kHelpMenuHint = QStringLiteral("Help topics");
inline const QString kAbout = QStringLiteral("&About...");
inline const QString kAboutHint = QStringLiteral("About|Displays program information, version number, and copyright");
inline const QString kClear = QStringLiteral("Clear");

inline const QString kConnectHint = QStringLiteral("connect");
inline const QString kDisconnectHint = QStringLiteral("disconnect");
inline const QString kReceiveConfig = QStringLiteral("receive config");
inline const QString kSendConfig = QStringLiteral("send config");
inline const QString kReportHint = QStringLiteral("Generate configuration report");

// --- file commands -----------------------------------------------------------
inline const QString kConfigFilter = QStringLiteral("Configuration files (*.vcfg)");
inline const QString kConfigSuffix = QStringLiteral("vcfg");
/// The current file name while no file has been chosen in this run.
inline const QString kNoFileName = QStringLiteral("1");
inline const QString kSaveOverwrite = QStringLiteral("Save owerwrite?");

// Refusals of this program where the original wrote nothing useful or an empty file.
inline const QString kNothingToSave =
    QStringLiteral("There is no configuration to save: open the window of a device model first.");
inline const QString kWindowHasNoFile = QStringLiteral("This window has no configuration file to save.");
inline QString fileTooLarge(const QString& path, qint64 size, qint64 limit)
{
    return QStringLiteral("The file \"%1\" (%2 bytes) is longer than any configuration file (at most %3 bytes); "
                          "it was not opened.")
        .arg(path)
        .arg(size)
        .arg(limit);
}
inline QString fileUnreadable(const QString& path, const QString& reason)
{
    return QStringLiteral("The file \"%1\" could not be read: %2").arg(path, reason);
}
inline QString fileUnwritable(const QString& path, const QString& reason)
{
    return QStringLiteral("The file \"%1\" could not be written: %2. The file was left as it was.").arg(path, reason);
}

// --- Progress window and About box -------------------------------------------
inline const QString kProgressCaption = QStringLiteral("Progress");
inline const QString kProgressLabel = QStringLiteral("Configuratin sending....");
inline const QString kAboutCaption = QStringLiteral("About");
inline const QString kProductName = QStringLiteral("Product Name: Configuration");
inline const QString kVersion = QStringLiteral("Version: 110509");
inline const QString kComments = QStringLiteral("Comments: Hardware Configuration program");
inline const QString kCopyright = QStringLiteral("Copyright");
inline const QString kOk = QStringLiteral("OK");

// --- Settings dialog ---------------------------------------------------------
inline const QString kSettingsCaption = QStringLiteral("Settings");
inline const QString kSerialPortLabel = QStringLiteral("Serial Port:");
inline const QString kLanguageLabel = QStringLiteral("Language:");
inline const QString kComEnable = QStringLiteral("COM enable");
inline const QString kPortClosedSuffix = QStringLiteral(" is closed");

// --- the simulated device of "--simulate" --------------------------------------
inline QString simulatorStarted(const QString& model, const QString& path)
{
    return QStringLiteral("Simulated %1 device on %2 (the port for this run)").arg(model, path);
}

// --- device windows ----------------------------------------------------------
inline const QString kFirmwareTab = QStringLiteral("Firmware");
inline const QString kUpdatingProgress = QStringLiteral("Updating progress");
inline const QString kPl3ResetWarning = QStringLiteral("Press Reset Button before and after Firmware Update");

} // namespace wendax::gui::msg
