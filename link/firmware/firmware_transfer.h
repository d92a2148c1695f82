#pragma once
#include "bootloader_profiles.h"

#include "core/firmware_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace wendax {

/// What the firmware transfer needs from the frame. Every call comes on the
/// GUI thread.
class FirmwareIo {
public:
    virtual ~FirmwareIo() = default;
    virtual void sendByte(std::uint8_t byte) = 0;                  ///< serial bootloaders
    virtual void sendBlock(std::span<const std::uint8_t> bytes) = 0; ///< serial, in 16-byte writes
    virtual void hidWrite(std::span<const std::uint8_t> bytes) = 0;  ///< the USB HID bootloader
    virtual void log(std::string_view line) = 0;
    virtual void showError(std::string_view text) = 0;       ///< one Abort button
    virtual void showInformation(std::string_view text) = 0; ///< one OK button
    virtual void setProgress(std::size_t position) = 0;      ///< the Firmware page's bar
    /// The transfer stopped: end the pacing worker, close the port, restore the
    /// configuration page.
    virtual void transferEnded() = 0;
    virtual std::uint64_t nowMs() = 0;
};

/// The host side of a bootloader transfer: arms a checked firmware file,
/// answers the bootloader's words and sends one record per acknowledgement.
/// GUI thread only; the pacing worker calls step() there.
class FirmwareTransfer {
public:
    enum class Outcome {
        Idle,      ///< nothing armed yet
        Running,   ///< armed and not ended
        Completed, ///< every record was sent and acknowledged
        Failed,    ///< the bootloader refused a record or stopped answering
        Stopped,   ///< ended early: a new Update, the window closing, a RESET before the end
    };

    static constexpr std::uint64_t kHidAckTimeoutMs = 20000;

    FirmwareTransfer(const BootloaderProfile& profile, FirmwareIo& io);

    /// Arms `file` (stopping a transfer that is armed) and logs that it is
    /// loaded. The caller then shows the Firmware page, opens the port and
    /// starts the pacing worker.
    void arm(FirmwareFile file);

    /// Handles a word of the bootloader; false when `word` is none of them.
    bool onWord(std::string_view word);

    /// One FirmwareStep: sends the next record when the bootloader is ready.
    void step();

    /// StopFirmwareUpdate: ends the transfer and restores the pages.
    void stop();

    bool armed() const { return m_file.has_value(); }
    Outcome outcome() const { return m_outcome; }
    /// The progress bar's maximum: file length + 10.
    std::size_t progressMaximum() const;
    std::size_t recordsSent() const { return m_nextRecord; }
    std::size_t recordCount() const { return m_file ? m_file->records.size() : 0; }

private:
    enum class HidStep { Idle = 0, BootloaderSeen = 2, ReadyForRecord = 3 };

    bool isHid() const { return m_profile.transport == BootTransport::Hid; }
    bool allRecordsSent() const { return m_file && m_nextRecord == m_file->records.size(); }
    bool isIdentificationWord(std::string_view word) const;
    void onIdentificationWord();
    void onBoot();
    void onAck();
    void onRefused(std::string_view why);
    void onReset();
    void serialStep();
    void hidStep();
    void end(Outcome outcome);

    const BootloaderProfile& m_profile;
    FirmwareIo& m_io;
    std::optional<FirmwareFile> m_file;
    Outcome m_outcome = Outcome::Idle;
    bool m_boot = false;
    bool m_ready = false;
    std::size_t m_nextRecord = 0;
    std::size_t m_sent = 0; ///< payload bytes (serial) or record bytes (HID) sent, for the bar
    HidStep m_hidStep = HidStep::Idle;
    std::uint64_t m_notedMs = 0;
};

} // namespace wendax
