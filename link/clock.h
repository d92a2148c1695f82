#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace wendax {

using Milliseconds = std::chrono::milliseconds;

/// The local date and time as the panel clock commands send it.
struct LocalTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

/// A timer of the protocol (ResponseTimeout, the port-closing timer, the
/// panel clock timer). It fires on the thread that created it, from that
/// thread's event loop; use it from that thread only.
class Timer {
public:
    virtual ~Timer() = default;
    /// (Re)starts the timer with `period`; a running timer starts over.
    virtual void start(Milliseconds period) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

/// The protocol's sense of time: its busy waits, its time limits and its
/// timers. Injected so that tests and benchmarks can run the protocol faster
/// than real time while keeping every period and its order.
class Clock {
public:
    virtual ~Clock() = default;
    /// A monotonic millisecond count. Any thread.
    virtual Milliseconds now() const = 0;
    /// The protocol's wait between two steps: blocks the calling thread for
    /// `period` without processing events. Any thread.
    virtual void wait(Milliseconds period) = 0;
    /// A timer named `name` (for records) that calls `onTimeout` on the
    /// calling thread; a single-shot timer stops itself before the call.
    virtual std::unique_ptr<Timer> createTimer(std::string name, bool repeating, std::function<void()> onTimeout) = 0;
    /// The local date and time.
    virtual LocalTime localTime() const = 0;
};

/// What a clock was asked to do, in protocol milliseconds.
struct ClockRecord {
    enum class Kind { Wait, TimerStarted, TimerFired, TimerStopped };
    Kind kind;
    std::string name; ///< the timer's name; empty for waits
    Milliseconds period{0};
    Milliseconds at{0}; ///< the clock's now() when it happened
};

/// The clock of the program, optionally running `speedUp` times faster than
/// real time: every wait and timer period is divided by it and now() is
/// multiplied by it, so the protocol sees its own periods. Timers are QTimers.
class QtClock final : public Clock {
public:
    explicit QtClock(int speedUp = 1);

    Milliseconds now() const override;
    void wait(Milliseconds period) override;
    std::unique_ptr<Timer> createTimer(std::string name, bool repeating, std::function<void()> onTimeout) override;
    LocalTime localTime() const override;

    /// Makes localTime() return `time` instead of the system's.
    void setLocalTime(std::optional<LocalTime> time);

    /// Keeps a record of every wait and timer event from now on (tests,
    /// benchmarks). Off by default so a long run keeps nothing.
    void setRecording(bool on);
    std::vector<ClockRecord> records() const;
    /// Real time spent in wait() while recording.
    std::chrono::nanoseconds realTimeWaited() const;

    void record(ClockRecord::Kind kind, const std::string& name, Milliseconds period);
    Milliseconds realPeriod(Milliseconds period) const;

private:
    const int m_speedUp;
    const std::chrono::steady_clock::time_point m_start;
    std::optional<LocalTime> m_localTime;
    mutable std::mutex m_mutex;
    bool m_recording = false;
    std::vector<ClockRecord> m_records;
    std::chrono::nanoseconds m_realWaited{0};
};

} // namespace wendax
