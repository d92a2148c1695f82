#include "device_windows.h"

#include "devices/N5/n5_window.h"
#include "devices/PL3/pl3_window.h"

#include <array>

namespace wendax::gui {
namespace {

template <typename Window>
DeviceWindow* create(FrameServices& services, QWidget* parent)
{
    return new Window(services, parent);
}

// Adding a model's window: its class, and its creator in its line here.
constexpr std::array kEntries{
    DeviceMenuEntry{Model::N5, "N5", "N51", "N5.lng", true, &create<TN5_cfg>},
    DeviceMenuEntry{Model::N14, "N9", "N91", nullptr, true, nullptr},
    DeviceMenuEntry{Model::N14v2, "N14v2", "N14v21", nullptr, false, nullptr},
    DeviceMenuEntry{Model::MT43, "MT5", "MT51", "MT5.lng", true, nullptr},
    DeviceMenuEntry{Model::MT6, "MT6", "MT61", "MT6.lng", true, nullptr},
    DeviceMenuEntry{Model::RX8, "RX8", "RX81", "RX8.lng", true, nullptr},
    DeviceMenuEntry{Model::PL3, "PL3", "PL31", nullptr, true, &create<TPL3_cfg>},
};

} // namespace

std::span<const DeviceMenuEntry> deviceMenuEntries()
{
    return kEntries;
}

} // namespace wendax::gui
