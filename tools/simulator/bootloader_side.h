#pragma once
#include "core/model_keys.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// The device side of the bootloader protocol: a device that was just reset
/// announces itself, and takes a firmware file record by record.
namespace wendax::sim {

/// How the bootloader answers a record.
enum class BootAnswer {
    Ack,            ///< "ACK"
    CrcError,       ///< "CRCERROR", then nothing more
    UnknownCommand, ///< "UNKNOWNCOMMAND", then nothing more
    Reset,          ///< "RESET", then nothing more (PL3 after its last record)
    Silent,         ///< no answer, now or later
};

struct BootloaderOptions {
    /// Record (1-based) answered with `answerAt` instead of "ACK"; 0 for none.
    int answerRecord = 0;
    BootAnswer answerAt = BootAnswer::Ack;
    /// After the host opens the line the device "resets" and announces
    /// itself after this delay, then again at every repeat until it hears 'A'.
    std::chrono::milliseconds announceDelay{100};
    std::chrono::milliseconds announceRepeat{1000};
};

/// The word the bootloader of `model` announces itself with; nullopt for
/// N14v2, whose bootloader is a USB device.
std::optional<std::string_view> bootloaderWord(Model model);

/// Reads host bytes and says what the bootloader answers. Not thread-safe.
class BootloaderSide {
public:
    /// Host bytes kept at most: far more than the largest firmware file.
    static constexpr std::size_t kReceivedLimit = 8 * 1024 * 1024;

    BootloaderSide(Model model, BootloaderOptions options);

    /// The announcement: the identification word between line breaks.
    std::vector<std::uint8_t> announce();
    /// True until the host has answered the announcement.
    bool awaitingAnswer() const { return m_state == State::WaitingForA; }
    const BootloaderOptions& options() const { return m_options; }

    /// Takes bytes from the host and returns the answer to them.
    std::vector<std::uint8_t> feed(std::span<const std::uint8_t> bytes);
    /// What happened since the last call, one line per event.
    std::vector<std::string> takeEvents();

    /// Every byte after the host's 'A': the records as the line carried them.
    const std::vector<std::uint8_t>& received() const { return m_received; }
    std::size_t recordsStarted() const { return m_recordsStarted; }
    std::size_t answersGiven() const { return m_answers; }
    int announcements() const { return m_announcements; }
    /// Host bytes past kReceivedLimit, counted but not kept.
    std::size_t droppedBytes() const { return m_dropped; }

private:
    enum class State { WaitingForA, LengthHigh, LengthLow, Payload, Finished };

    void take(std::uint8_t b);
    void endRecord();
    void say(std::string_view word);

    Model m_model;
    BootloaderOptions m_options;
    State m_state = State::WaitingForA;
    std::size_t m_length = 0;
    std::size_t m_got = 0;
    std::size_t m_records = 0;
    std::size_t m_recordsStarted = 0;
    std::size_t m_answers = 0;
    std::size_t m_dropped = 0;
    int m_announcements = 0;
    std::vector<std::uint8_t> m_received;
    std::vector<std::uint8_t> m_out;
    std::vector<std::string> m_events;
};

} // namespace wendax::sim
