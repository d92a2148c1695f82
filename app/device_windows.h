#pragma once
#include "core/model_keys.h"

#include <QString>

#include <span>

class QWidget;

namespace wendax::gui {

class DeviceWindow;
class FrameServices;

/// One item of the Devices menu and the window it opens.
struct DeviceMenuEntry {
    Model model;
    const char* caption;      ///< the item's caption, "N9" for the N14
    const char* itemName;     ///< the item's component name
    const char* languageFile; ///< applied right after creation; nullptr for none
    bool visible;
    /// Creates the window; nullptr while the model's window is not built, and
    /// the item is then disabled.
    DeviceWindow* (*create)(FrameServices& services, QWidget* parent);
};

/// The Devices menu, in its order.
std::span<const DeviceMenuEntry> deviceMenuEntries();

} // namespace wendax::gui
