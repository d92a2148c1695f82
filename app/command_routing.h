#pragma once
#include <string_view>

namespace wendax::gui {

/// Which device-window operation each frame command reaches, per window class.
/// The frame compares the active window's class name with these, exactly.
struct CommandRoute {
    std::string_view className;
    bool loadImage;        ///< File Open
    bool saveImage;        ///< Save, Save As
    bool readArmsTimeout;  ///< Read Device starts the window's ResponseTimeout
    bool writeDevice;      ///< Write Device
    bool firmwareUpdate;   ///< Update
    bool transferStep;     ///< the configuration worker steps the window
    bool printReport;      ///< the report button
};

/// The route of a window class, or nullptr for a class that is no device window.
const CommandRoute* routeFor(std::string_view className);

} // namespace wendax::gui
