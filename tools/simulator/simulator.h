#pragma once
#include "device_side.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace wendax::sim {

/// A simulated device on a pseudo-terminal: the host opens path() as its
/// serial port. The device runs on its own thread until stop() or
/// destruction.
class Simulator {
public:
    /// Called on the simulator's thread with one line per event.
    using EventHandler = std::function<void(const std::string&)>;

    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    /// The pseudo-terminal the host opens, e.g. /dev/pts/3.
    const std::string& path() const { return m_path; }
    /// Ends the device's thread and closes the pseudo-terminal. Idempotent.
    void stop();

    /// The plain image the device holds now (a write replaces it).
    std::vector<std::uint8_t> image() const;
    /// Whole configurations stored by writes so far.
    int writesStored() const;
    std::optional<std::array<std::uint8_t, 6>> lastSetTime() const;

    // ---- Bootloader mode -------------------------------------------------------
    /// Every byte the bootloader took after the host's 'A'.
    std::vector<std::uint8_t> bootloaderReceived() const;
    std::size_t bootloaderDropped() const;
    int announcements() const;
    /// When each record's first byte was read, and when each answer to a
    /// record ("ACK" and the others) was written, on the steady clock.
    struct BootTimings {
        std::vector<std::chrono::steady_clock::time_point> recordStarts;
        std::vector<std::chrono::steady_clock::time_point> answersWritten;
    };
    BootTimings bootTimings() const;

private:
    friend std::unique_ptr<Simulator> startSimulator(SimulatorOptions, EventHandler, std::string&);
    Simulator(SimulatorOptions options, EventHandler onEvent);
    bool open(std::string& error);
    void run();
    void handleInput();
    void flushOutput();
    void handleBootloaderInput(std::span<const std::uint8_t> bytes, std::vector<std::string>& events);
    void followAnnouncement(bool watched);
    int pollTimeout() const;

    mutable std::mutex m_mutex; ///< guards m_device
    DeviceSide m_device;
    std::optional<BootloaderSide> m_bootloader;
    std::optional<std::chrono::steady_clock::time_point> m_announceAt;
    BootTimings m_timings;
    EventHandler m_onEvent;
    std::string m_path;
    int m_master = -1;
    int m_wake[2] = {-1, -1};
    std::vector<std::uint8_t> m_output;
    bool m_hostAbsent = false;
    bool m_silentBootloader = false; ///< a bootloader that never says anything
    std::thread m_thread;
};

/// Opens a pseudo-terminal in raw mode and starts a device of
/// options.model on it, or its bootloader when options.bootloader is set.
/// nullptr and a reason in `error` when the model has no configuration (PL3)
/// or no serial bootloader (N14v2), or the pseudo-terminal cannot be made.
std::unique_ptr<Simulator> startSimulator(SimulatorOptions options, Simulator::EventHandler onEvent,
                                          std::string& error);

} // namespace wendax::sim
