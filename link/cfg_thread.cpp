#include "cfg_thread.h"

#include "config_transfer.h"
#include "frame_link.h"

#include <QThread>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace wendax {
namespace {

using namespace std::chrono_literals;

/// One call handed to the GUI thread and the worker's wait for it.
struct PendingCall {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
};

} // namespace

CfgThread::CfgThread(FrameLink& frame, ConfigTransfer& window)
    : m_frame(frame)
    , m_window(window)
    , m_clock(frame.clock())
    , m_cancelled(std::make_shared<std::atomic<bool>>(false))
{
}

CfgThread::~CfgThread()
{
    m_cancelled->store(true);
    if (m_thread)
        m_thread->wait();
}

void CfgThread::start()
{
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->start(QThread::LowestPriority);
}

void CfgThread::run()
{
    while (!endRequested()) {
        bool more = false;
        try {
            more = m_window.transferStep(*this) == StepResult::Continue;
        } catch (...) {
            // A step that throws ends the worker; its end re-enables the
            // commands and closes the port as after any other end.
            more = false;
        }
        onGui([this] { m_frame.drainRxRing(); });
        if (!more)
            break;
        wait(1ms);
    }
    m_ended.store(true);
    emit finished();
}

bool CfgThread::onGui(std::function<void()> call)
{
    auto pending = std::make_shared<PendingCall>();
    QMetaObject::invokeMethod(
        &m_frame,
        [pending, cancelled = m_cancelled, call = std::move(call)] {
            if (!cancelled->load())
                call();
            const std::scoped_lock lock(pending->mutex);
            pending->finished = true;
            pending->done.notify_one();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(pending->mutex);
    // The frame may ask the worker to end while the GUI thread is busy; the
    // bounded wait lets the worker notice without the GUI thread's help.
    while (!pending->finished) {
        if (endRequested())
            return false;
        pending->done.wait_for(lock, 20ms);
    }
    return !endRequested();
}

bool CfgThread::sendBlock(std::span<const std::uint8_t> bytes)
{
    auto ok = std::make_shared<bool>(false);
    auto copy = std::make_shared<std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
    return onGui([this, ok, copy] { *ok = m_frame.sendBlock(*copy); }) && *ok;
}

bool CfgThread::sendText(std::string_view text)
{
    return sendBlock({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

void CfgThread::wait(Milliseconds period)
{
    m_clock.wait(period);
}

Milliseconds CfgThread::now() const
{
    return m_clock.now();
}

} // namespace wendax
