#pragma once
#include "firmware_transfer.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wendax {

class ConfigTransfer;
class FrameLink;

namespace hid {
class HidLink;
}

/// A firmware file read from disk and checked, or why it cannot be used.
struct LoadedFirmware {
    enum class Status {
        Loaded,
        FileError,   ///< opening or reading failed: the "File Error" box
        InvalidFile, ///< empty, too large, or records that do not add up
    };
    Status status = Status::FileError;
    std::optional<FirmwareFile> file;
    std::string error; ///< for InvalidFile: what is wrong, naming the file
};

/// Reads `path` whole (at most FirmwareFile::kMaxSize bytes are taken, so
/// a huge file is refused without being read) and checks its records in
/// `order`. Any thread.
LoadedFirmware loadFirmwareFile(const std::string& path, LengthOrder order);

/// Hands every HID input report to the frame's HidDataReceived. The frame
/// makes this connection once, for the whole run.
void connectHidToFrame(hid::HidLink& hid, FrameLink& frame);

/// The firmware update of one device window: Update (StartFirmwareUpdate),
/// the bootloader words of the window's ReceiveByte, the pacing worker
/// (BootThread) and StopFirmwareUpdate. A window owns one beside its
/// ConfigTransfer, from creation to close, because identification words are
/// logged even when nothing is armed.
///
/// The pacing worker is a 1 ms timer on the GUI thread that takes turns: drain
/// the receive ring, then one FirmwareStep, about one of each every 2 ms. A
/// turn that opens a modal message does not let another turn run inside it.
///
/// GUI thread only: create, call and destroy it on the thread of the frame.
/// Destroy it before the ConfigTransfer it was given (declare it after).
class FirmwareSession : public QObject {
    Q_OBJECT

public:
    /// What Update did.
    enum class StartStatus {
        Armed,                ///< the transfer waits for the bootloader
        Cancelled,            ///< the file dialog was cancelled; nothing armed
        ConfigurationRunning, ///< a configuration transfer runs: refused, nothing armed
        FileError,            ///< the "File Error" box; nothing armed
        InvalidFile,          ///< a file that is no firmware file; nothing armed
        PortFailed,           ///< the port did not open (its error was shown); ended again
    };
    struct StartResult {
        StartStatus status;
        std::string title; ///< the box to show for a refusal: its title ...
        std::string text;  ///< ... and its text; both empty when nothing is to be shown
    };

    /// The file dialog of Update: returns the chosen path, or nullopt when
    /// the user cancelled. The GUI shows "Firmware files (*.enc)|*.enc" in
    /// the program's "FirmwareUpdates" folder with an empty file name.
    using FileChooser = std::function<std::optional<std::string>()>;

    /// `window` is the window's configuration protocol, whose ReceiveByte
    /// hands the bootloader words over from now on. `hid` is the frame's HID
    /// layer; it is used by the N14v2 window only and may be nullptr for the
    /// serial models.
    FirmwareSession(FrameLink& frame, ConfigTransfer& window, hid::HidLink* hid, QObject* parent = nullptr);
    /// Ends an armed transfer as windowClosing() does, without signals.
    ~FirmwareSession() override;

    FirmwareSession(const FirmwareSession&) = delete;
    FirmwareSession& operator=(const FirmwareSession&) = delete;

    /// Update: ends an armed transfer, refuses while a configuration worker
    /// runs, asks `choose` for the file, then arms it as startWithFile().
    /// The caller shows the returned box when its text is not empty ("File
    /// Error" with OK and Cancel for a file that cannot be read).
    StartResult startFirmwareUpdate(const FileChooser& choose);

    /// Update with the file already chosen (command line): checks the file
    /// before anything is sent, arms it, logs, emits started(), opens the
    /// port (serial models) and starts the pacing worker. N14v2 clears the
    /// receive ring and shows "Please connect and reset your hardware...".
    StartResult startWithFile(const std::string& path);

    /// StopFirmwareUpdate: ends the transfer (worker stopped, port closed)
    /// and emits ended(). Does nothing while nothing is armed.
    void stop();

    /// The window is closing: an armed transfer ends now (worker stopped,
    /// port closed) rather than wait for a step of a window that is gone.
    void windowClosing();

    bool armed() const { return m_transfer.armed(); }
    bool workerRunning() const { return m_pace.isActive(); }
    const FirmwareTransfer& transfer() const { return m_transfer; }
    const BootloaderProfile& profile() const { return m_profile; }

signals:
    /// The transfer is armed: show the "Firmware" page and select it, its
    /// progress bar at 0 of `progressMaximum` (file length + 10).
    void started(int progressMaximum);
    /// The Firmware page's progress bar moves to `position`.
    void progressChanged(int position);
    /// A line the firmware update added to the terminal log.
    void logLine(const QString& line);
    /// The transfer ended (completed, refused, timed out, stopped): hide the
    /// "Firmware" page and show the configuration page again.
    void ended(wendax::FirmwareTransfer::Outcome outcome);

private:
    class Io;

    StartResult arm(FirmwareFile file);
    void startWorker();
    void turn();
    void onTransferEnded();

    FrameLink& m_frame;
    ConfigTransfer& m_window;
    hid::HidLink* m_hid;
    const BootloaderProfile& m_profile;
    std::unique_ptr<Io> m_io;
    FirmwareTransfer m_transfer;
    QTimer m_pace;
    bool m_drainNext = true;
    bool m_inTurn = false;
    bool m_quiet = false; ///< no signals: the window is going away
};

} // namespace wendax
