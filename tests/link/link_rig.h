#pragma once
#include "link_test_support.h"

#include "devices/common/device_form.h"
#include "link/config_transfer.h"
#include "link/frame_link.h"
#include "link/serial_transport.h"
#include "tools/simulator/simulator.h"

#include <memory>
#include <stdexcept>

namespace wendax::test {

/// The protocol runs this many times faster than real time in the tests
/// over the pseudo-terminal: every period keeps its order and its protocol
/// value (records and now() are in protocol milliseconds).
inline constexpr int kSpeedUp = 4;

/// The real link over a real serial port against a simulated device: the
/// frame, the window of `model` (its image as bytes, or a device form) and
/// the simulator on a pseudo-terminal.
struct Rig {
    explicit Rig(Model model, sim::SimulatorOptions options = {}, int speedUp = kSpeedUp,
                 const ModelDefinition* form = nullptr)
        : clock(speedUp)
    {
        options.model = model;
        std::string error;
        device = sim::startSimulator(std::move(options), {}, error);
        if (!device)
            throw std::runtime_error(error);
        link.setComPort(device->path());
        clock.setRecording(true);
        if (form) {
            deviceForm = std::make_unique<DeviceForm>(*form);
            codec = std::make_unique<DeviceFormCodec>(*deviceForm);
        } else {
            auto raw = std::make_unique<RawImageCodec>(model, wireFormat(model).imageSize());
            rawCodec = raw.get();
            codec = std::move(raw);
        }
        WindowCallbacks callbacks{[this](const std::string& t) { panelTimes.push_back(t); },
                                  [this](const std::string& t) { macAddresses.push_back(t); }};
        window = std::make_unique<ConfigTransfer>(link, *codec, callbacks);
        link.setActiveWindow(window.get());
    }

    /// Waits until a message was shown and the link has nothing left to do.
    bool settle(int boundMs = 10000)
    {
        return waitUntil([this] { return !services.messages.empty() && !link.busy(); }, boundMs);
    }

    /// Protocol time of the first record of `kind` for `name` (a timer's
    /// name; "" for waits) with `period`, searching from the end when `last`.
    std::optional<Milliseconds> recordTime(ClockRecord::Kind kind, std::string_view name, Milliseconds period,
                                           bool last = false) const
    {
        const auto records = clock.records();
        std::optional<Milliseconds> found;
        for (const auto& r : records) {
            if (r.kind == kind && r.name == name && r.period == period) {
                found = r.at;
                if (!last)
                    break;
            }
        }
        return found;
    }

    QtClock clock;
    RecordingServices services{&clock};
    SerialTransport transport;
    FrameLink link{services, transport, clock};
    std::unique_ptr<sim::Simulator> device;
    std::unique_ptr<DeviceForm> deviceForm;
    std::unique_ptr<ImageCodec> codec;
    RawImageCodec* rawCodec = nullptr;
    std::vector<std::string> panelTimes;
    std::vector<std::string> macAddresses;
    std::unique_ptr<ConfigTransfer> window;
};

} // namespace wendax::test
