#pragma once
#include "clock.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

class QThread;

namespace wendax {

class ConfigTransfer;
class FrameLink;

/// CfgThread: the configuration worker of the MT6 and N14 writes. Its loop
/// calls the window's TransferStep on the worker thread, then drains the
/// receive ring on the GUI thread, until the step ends the worker or the
/// frame asks it to end. Everything it does to the port, the Progress window,
/// messages or timers runs on the GUI thread through a queued call it waits for.
class CfgThread : public QObject {
    Q_OBJECT

public:
    /// GUI thread. Does not start the thread yet.
    CfgThread(FrameLink& frame, ConfigTransfer& window);
    /// GUI thread: asks the worker to end, drops its pending GUI calls, and
    /// waits for the thread.
    ~CfgThread() override;

    void start();
    ConfigTransfer& window() { return m_window; }
    /// True once the worker's loop has returned.
    bool hasEnded() const { return m_ended.load(); }

    // ---- For TransferStep, on the worker thread -----------------------------------
    /// Runs `call` on the GUI thread and waits for it. False, without running
    /// it, once the frame has asked the worker to end.
    bool onGui(std::function<void()> call);
    /// The frame's SendBlock on the GUI thread; false when a write failed.
    bool sendBlock(std::span<const std::uint8_t> bytes);
    bool sendText(std::string_view text);
    /// The protocol's waits and time on the worker thread.
    void wait(Milliseconds period);
    Milliseconds now() const;
    bool endRequested() const { return m_cancelled->load(); }

signals:
    /// Emitted on the worker thread as the worker ends.
    void finished();

private:
    void run();

    FrameLink& m_frame;
    ConfigTransfer& m_window;
    Clock& m_clock;
    /// Shared with every queued call, which checks it before touching the
    /// frame or the window: set on the GUI thread before either goes away.
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    std::atomic<bool> m_ended{false};
    std::unique_ptr<QThread> m_thread;
};

} // namespace wendax
