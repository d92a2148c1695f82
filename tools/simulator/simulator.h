#pragma once
#include "device_side.h"

#include <atomic>
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

private:
    friend std::unique_ptr<Simulator> startSimulator(SimulatorOptions, EventHandler, std::string&);
    Simulator(SimulatorOptions options, EventHandler onEvent);
    bool open(std::string& error);
    void run();
    void handleInput();
    void flushOutput();

    mutable std::mutex m_mutex; ///< guards m_device
    DeviceSide m_device;
    EventHandler m_onEvent;
    std::string m_path;
    int m_master = -1;
    int m_wake[2] = {-1, -1};
    std::vector<std::uint8_t> m_output;
    bool m_hostAbsent = false;
    std::thread m_thread;
};

/// Opens a pseudo-terminal in raw mode and starts a device of
/// options.model on it. nullptr and a reason in `error` when the model has
/// no configuration (PL3) or the pseudo-terminal cannot be made.
std::unique_ptr<Simulator> startSimulator(SimulatorOptions options, Simulator::EventHandler onEvent,
                                          std::string& error);

} // namespace wendax::sim
