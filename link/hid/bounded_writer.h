#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace wendax::hid {

/// Runs blocking writes on a thread of its own so that the caller waits for
/// each at most a given time. A write that overruns keeps running there; the
/// writer refuses new work until it has finished, so writes never overtake
/// one another.
class BoundedWriter {
public:
    BoundedWriter();
    /// Waits for a write still running (a blocked device write ends when the
    /// device is gone or the system's own limit passes).
    ~BoundedWriter();
    BoundedWriter(const BoundedWriter&) = delete;
    BoundedWriter& operator=(const BoundedWriter&) = delete;

    /// Runs `write` and waits up to `limit` for its result. false when the
    /// write failed, did not finish in time, or an earlier write still runs.
    bool run(std::function<bool()> write, std::chrono::milliseconds limit);

private:
    void loop();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<bool()> m_pending;
    bool m_running = false;
    bool m_stop = false;
    bool m_lastResult = false;
    std::uint64_t m_submitted = 0;
    std::uint64_t m_finished = 0;
    std::thread m_thread;
};

} // namespace wendax::hid
