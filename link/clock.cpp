#include "clock.h"

#include <QDateTime>
#include <QTimer>

#include <thread>

namespace wendax {
namespace {

class QtTimer final : public Timer {
public:
    QtTimer(QtClock& clock, std::string name, bool repeating, std::function<void()> onTimeout)
        : m_clock(clock)
        , m_name(std::move(name))
        , m_onTimeout(std::move(onTimeout))
    {
        m_timer.setSingleShot(!repeating);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_clock.record(ClockRecord::Kind::TimerFired, m_name, m_period);
            m_onTimeout();
        });
    }

    void start(Milliseconds period) override
    {
        m_period = period;
        m_clock.record(ClockRecord::Kind::TimerStarted, m_name, period);
        m_timer.start(m_clock.realPeriod(period));
    }

    void stop() override
    {
        if (m_timer.isActive())
            m_clock.record(ClockRecord::Kind::TimerStopped, m_name, m_period);
        m_timer.stop();
    }

    bool isActive() const override { return m_timer.isActive(); }

private:
    QtClock& m_clock;
    std::string m_name;
    std::function<void()> m_onTimeout;
    QTimer m_timer;
    Milliseconds m_period{0};
};

} // namespace

QtClock::QtClock(int speedUp)
    : m_speedUp(speedUp < 1 ? 1 : speedUp)
    , m_start(std::chrono::steady_clock::now())
{
}

Milliseconds QtClock::now() const
{
    const auto real = std::chrono::steady_clock::now() - m_start;
    return std::chrono::duration_cast<Milliseconds>(real * m_speedUp);
}

Milliseconds QtClock::realPeriod(Milliseconds period) const
{
    return period / m_speedUp;
}

void QtClock::wait(Milliseconds period)
{
    const auto begin = std::chrono::steady_clock::now();
    record(ClockRecord::Kind::Wait, {}, period);
    std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(period) / m_speedUp);
    const std::scoped_lock lock(m_mutex);
    if (m_recording)
        m_realWaited += std::chrono::steady_clock::now() - begin;
}

std::unique_ptr<Timer> QtClock::createTimer(std::string name, bool repeating, std::function<void()> onTimeout)
{
    return std::make_unique<QtTimer>(*this, std::move(name), repeating, std::move(onTimeout));
}

LocalTime QtClock::localTime() const
{
    if (m_localTime)
        return *m_localTime;
    const QDateTime t = QDateTime::currentDateTime();
    return {t.date().year(), t.date().month(), t.date().day(), t.time().hour(), t.time().minute(), t.time().second()};
}

void QtClock::setLocalTime(std::optional<LocalTime> time)
{
    m_localTime = time;
}

void QtClock::setRecording(bool on)
{
    const std::scoped_lock lock(m_mutex);
    m_recording = on;
}

void QtClock::record(ClockRecord::Kind kind, const std::string& name, Milliseconds period)
{
    const std::scoped_lock lock(m_mutex);
    if (m_recording)
        m_records.push_back({kind, name, period, now()});
}

std::vector<ClockRecord> QtClock::records() const
{
    const std::scoped_lock lock(m_mutex);
    return m_records;
}

std::chrono::nanoseconds QtClock::realTimeWaited() const
{
    const std::scoped_lock lock(m_mutex);
    return m_realWaited;
}

} // namespace wendax
