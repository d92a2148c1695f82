#pragma once
#include <QString>

namespace wendax {
class FrameLink;
namespace hid {
class HidLink;
}
} // namespace wendax

namespace wendax::gui {

class ProgramFolders;
class UserDialogs;

/// What the frame offers its device windows. A window reaches the link, the
/// log and the user only through these; the frame implements them with Qt,
/// tests with recorders. GUI thread only.
class FrameServices {
public:
    virtual ~FrameServices() = default;
    virtual UserDialogs& dialogs() = 0;
    virtual const ProgramFolders& folders() const = 0;
    /// Adds one line to the TerminalLog.
    virtual void logLine(const QString& line) = 0;
    /// Sets the current configuration file name to the "no file yet" marker,
    /// so that the next Save asks for a name.
    virtual void markNoFile() = 0;
    /// Ticks or clears "COM enable" and applies it (opens or closes the port).
    virtual void setComEnable(bool enabled) = 0;
    virtual void showProgress() = 0;
    virtual void closeProgress() = 0;
    /// The device link the windows' configuration transfers run on; nullptr
    /// where there is none (a window or frame looked at on its own).
    virtual FrameLink* frameLink() = 0;
    /// The frame's USB HID layer, which lives for the whole run; nullptr in a
    /// run without one. Only the N14v2 firmware update writes to it.
    virtual hid::HidLink* hidLink() { return nullptr; }
};

} // namespace wendax::gui
