#include "bounded_writer.h"

namespace wendax::hid {

BoundedWriter::BoundedWriter()
    : m_thread([this] { loop(); })
{
}

BoundedWriter::~BoundedWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool BoundedWriter::run(std::function<bool()> write, std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    if (m_running || m_pending)
        return false;
    m_pending = std::move(write);
    const std::uint64_t ticket = ++m_submitted;
    m_changed.notify_all();
    if (!m_changed.wait_for(lock, limit, [&] { return m_finished >= ticket; }))
        return false;
    return m_lastResult;
}

void BoundedWriter::loop()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_stop || m_pending; });
        if (!m_pending)
            return;
        auto write = std::move(m_pending);
        m_pending = nullptr;
        m_running = true;
        lock.unlock();
        const bool result = write();
        lock.lock();
        m_running = false;
        m_lastResult = result;
        ++m_finished;
        m_changed.notify_all();
    }
}

} // namespace wendax::hid
