// The device link's receive path and the host's own time in reads from the
// simulated devices.
#include "core/config_file.h"
#include "link/config_transfer.h"
#include "link/frame_link.h"
#include "link/messages.h"
#include "link/serial_transport.h"
#include "link/wire_format.h"
#include "tools/simulator/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <chrono>

namespace wendax {
namespace {

/// A frame that shows nothing; the time measured is the link's own.
class QuietServices final : public FrameServices {
public:
    void storeComEnable(bool) override {}
    void setStatusPanel(int, std::string_view) override {}
    void logChanged(const LogChange& change) override { m_appended += change.appended.size(); }
    void showProgress(int) override {}
    void advanceProgress(int) override {}
    void closeProgress() override {}
    void setTransferCommandsEnabled(bool) override {}
    void showMessage(const UserMessage& message) override
    {
        lastMessage = message.text;
        shownAt = std::chrono::steady_clock::now();
    }
    std::string lastMessage;
    std::chrono::steady_clock::time_point shownAt;

private:
    std::size_t m_appended = 0;
};

class NoPort final : public Transport {
public:
    std::string portName() const override { return "COM1"; }
    bool isOpen() const override { return false; }
    std::optional<std::string> open(const std::string&) override { return std::string("no port"); }
    void close() override {}
    std::optional<std::string> write(std::span<const std::uint8_t>) override { return std::nullopt; }
    std::size_t bytesAvailable() const override { return 0; }
    std::vector<std::uint8_t> read(std::size_t) override { return {}; }
};

/// Device traffic without any protocol word: text lines and binary bytes.
std::vector<std::uint8_t> traffic(std::size_t size)
{
    const std::string_view text = "zone 12 alarm 0123456789 status ok\r\n";
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < size) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        for (const int b : {0x00, 0x06, 0x7F, 0x9C, 0xF0, 0xFF})
            bytes.push_back(static_cast<std::uint8_t>(b));
    }
    bytes.resize(size);
    return bytes;
}

/// Bytes per second through ComPort1RxChar: ring, drain (into the frame's
/// token accumulator, or a window's ReceiveByte), escaping and the log rules,
/// with the log already at its 20000-30000 character steady state.
void receivePath(benchmark::State& state, bool withWindow)
{
    QtClock clock;
    QuietServices services;
    NoPort port;
    FrameLink link(services, port, clock);
    RawImageCodec codec(Model::N5, 4096);
    ConfigTransfer window(link, codec);
    if (withWindow)
        link.setActiveWindow(&window);
    const auto chunk = traffic(static_cast<std::size_t>(state.range(0)));
    while (link.terminalLog().text().size() < TerminalLog::kKeep)
        link.comPort1RxChar(chunk);
    for (int i = 0; i < 100; ++i) // past the first cut
        link.comPort1RxChar(chunk);
    for (auto _ : state)
        link.comPort1RxChar(chunk);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    state.counters["log_chars"] = static_cast<double>(link.terminalLog().text().size());
}

void BM_ReceivePathNoWindow(benchmark::State& state)
{
    receivePath(state, false);
}
void BM_ReceivePathN5Window(benchmark::State& state)
{
    receivePath(state, true);
}
BENCHMARK(BM_ReceivePathNoWindow)->Arg(16)->Arg(64)->Arg(1024)->Arg(32768);
BENCHMARK(BM_ReceivePathN5Window)->Arg(16)->Arg(64)->Arg(1024)->Arg(32768);

/// One Read Device against the simulator over a pseudo-terminal and the real
/// serial port: the time from the command to "Configuration was received"
/// minus the time the protocol's waits took. What remains is the host's own
/// work (port open, send, receive path, checks, decipher, decode) plus the
/// simulator's answer and the pseudo-terminal. The protocol runs ten times
/// faster than real time so the waits stay short; they are subtracted anyway.
void BM_SimulatorRead(benchmark::State& state)
{
    const Model model = kAllModels[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(std::string(modelName(model)));
    sim::SimulatorOptions options;
    options.model = model;
    std::string error;
    auto device = sim::startSimulator(options, {}, error);
    if (!device) {
        state.SkipWithError(error.c_str());
        return;
    }
    QtClock clock(10);
    clock.setRecording(true);
    QuietServices services;
    SerialTransport transport;
    FrameLink link(services, transport, clock);
    link.setComPort(device->path());
    RawImageCodec codec(model, wireFormat(model).imageSize());
    ConfigTransfer window(link, codec);
    link.setActiveWindow(&window);

    std::chrono::duration<double, std::milli> inCommand{0};
    for (auto _ : state) {
        services.lastMessage.clear();
        const auto waitedBefore = clock.realTimeWaited();
        const auto start = std::chrono::steady_clock::now();
        link.readDevice();
        inCommand += std::chrono::steady_clock::now() - start - (clock.realTimeWaited() - waitedBefore);
        QElapsedTimer bound;
        bound.start();
        while ((services.lastMessage.empty() || link.busy()) && bound.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (services.lastMessage != msg::kConfigurationWasReceived) {
            state.SkipWithError(("read ended with: " + services.lastMessage).c_str());
            break;
        }
        const auto waited = clock.realTimeWaited() - waitedBefore;
        state.SetIterationTime(std::chrono::duration<double>(services.shownAt - start - waited).count());
    }
    // The part spent inside Read Device itself (opening the port, sending the
    // command), the rest being the answer's way through the receive path.
    state.counters["in_command_ms"] =
        benchmark::Counter(inCommand.count(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SimulatorRead)
    ->DenseRange(0, 5)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace wendax
