#pragma once
#include "terminal_log.h"

#include <string>
#include <string_view>

namespace wendax {

/// A message box of the link.
struct UserMessage {
    enum class Kind {
        Information, ///< a plain message with an OK button
        Error,       ///< an error with an OK button (a port that cannot be used)
        ErrorAbort,  ///< an error with a single Abort button
    };
    Kind kind = Kind::Information;
    std::string text;
};

/// What the device link asks of the frame window that hosts it. The GUI
/// implements it with widgets and the settings store; the command-line
/// front end with the console; tests with a recorder. The link calls it on
/// the GUI thread only (the configuration worker goes through that thread).
class FrameServices {
public:
    virtual ~FrameServices() = default;

    /// The "COM enable" setting was stored as "1" (true) or "0" (false):
    /// the settings store keeps it and the Settings dialog's tick follows.
    virtual void storeComEnable(bool on) = 0;

    /// Status bar panel 1 (port name), 2 ("Connected"/"Disconnected") or 3
    /// (the device's version text) shows `text`.
    virtual void setStatusPanel(int panel, std::string_view text) = 0;

    /// The terminal log's text changed; a view applies `change` to what it shows.
    virtual void logChanged(const LogChange& change) = 0;

    /// The Progress window: shown with its bar at 0 of `maximum`, its bar
    /// advanced by `count` (also while hidden), closed.
    virtual void showProgress(int maximum) = 0;
    virtual void advanceProgress(int count) = 0;
    virtual void closeProgress() = 0;

    /// "Update", "Read Device", "Write Device" and the "receive config" and
    /// "send config" tool buttons are disabled while a configuration worker runs.
    virtual void setTransferCommandsEnabled(bool enabled) = 0;

    /// Shows `message`. In the GUI the box is modal and this returns once the
    /// user closed it; received bytes wait meanwhile.
    virtual void showMessage(const UserMessage& message) = 0;
};

} // namespace wendax
