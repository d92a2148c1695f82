// The host's turnaround in a firmware update: from the last byte of a
// bootloader's "ACK" to the first length byte of the next record.
#include "link/config_transfer.h"
#include "link/firmware/firmware_session.h"
#include "link/frame_link.h"
#include "link/image_codec.h"
#include "link/serial_transport.h"
#include "link/wire_format.h"
#include "tools/simulator/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace wendax {
namespace {

using namespace std::chrono_literals;

/// A frame that shows nothing; the time measured is the link's own.
class QuietServices final : public FrameServices {
public:
    void storeComEnable(bool) override {}
    void setStatusPanel(int, std::string_view) override {}
    void logChanged(const LogChange&) override {}
    void showProgress(int) override {}
    void advanceProgress(int) override {}
    void closeProgress() override {}
    void setTransferCommandsEnabled(bool) override {}
    void showMessage(const UserMessage& message) override { lastMessage = message.text; }
    std::string lastMessage;
};

/// 64 KiB of 256-byte records: two length bytes and 254 bytes each.
QByteArray firmware64k()
{
    constexpr int kRecordBytes = 256;
    constexpr int kPayload = kRecordBytes - 2;
    QByteArray file;
    for (int r = 0; r < 65536 / kRecordBytes; ++r) {
        file.append(static_cast<char>(kPayload >> 8));
        file.append(static_cast<char>(kPayload & 0xFF));
        for (int i = 0; i < kPayload; ++i)
            file.append(static_cast<char>(r + i));
    }
    return file;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

/// One N5 update against the simulated bootloader over a pseudo-terminal
/// and the real serial port, per iteration. The turnaround of each record is
/// taken on the simulator's side: from the write of its "ACK" to the read of
/// the next record's first byte, so it also holds the pseudo-terminal's way
/// in both directions. The iteration time is the whole update.
void BM_FirmwareTurnaround(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("n5.enc");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(firmware64k());
    }
    std::vector<double> turnarounds;
    for (auto _ : state) {
        sim::SimulatorOptions options;
        options.model = Model::N5;
        options.bootloader = sim::BootloaderOptions{};
        options.bootloader->announceDelay = 10ms;
        std::string error;
        auto device = sim::startSimulator(options, {}, error);
        if (!device) {
            state.SkipWithError(error.c_str());
            return;
        }
        QtClock clock;
        QuietServices services;
        SerialTransport transport;
        FrameLink link(services, transport, clock);
        link.setComPort(device->path());
        RawImageCodec codec(Model::N5, wireFormat(Model::N5).imageSize());
        ConfigTransfer window(link, codec);
        link.setActiveWindow(&window);
        FirmwareSession session(link, window, nullptr);

        const auto start = session.startWithFile(path.toStdString());
        if (start.status != FirmwareSession::StartStatus::Armed) {
            state.SkipWithError(start.text.c_str());
            return;
        }
        QElapsedTimer bound;
        bound.start();
        while (session.armed() && bound.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (session.transfer().outcome() != FirmwareTransfer::Outcome::Completed) {
            state.SkipWithError("the update did not complete");
            return;
        }
        const auto timings = device->bootTimings();
        for (std::size_t k = 0; k + 1 < timings.recordStarts.size() && k < timings.answersWritten.size(); ++k) {
            const std::chrono::duration<double, std::micro> gap =
                timings.recordStarts[k + 1] - timings.answersWritten[k];
            turnarounds.push_back(gap.count());
        }
    }
    if (turnarounds.empty())
        return;
    state.counters["turnaround_median_us"] = percentile(turnarounds, 0.5);
    state.counters["turnaround_p90_us"] = percentile(turnarounds, 0.9);
    state.counters["turnaround_max_us"] = percentile(turnarounds, 1.0);
    state.counters["records"] = static_cast<double>(turnarounds.size());
}
BENCHMARK(BM_FirmwareTurnaround)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace wendax
