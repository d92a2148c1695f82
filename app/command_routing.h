#pragma once
#include <string_view>

namespace wendax::gui {

/// Which device-window operation each frame command reaches, per window class.
/// The frame compares the active window's class name with these, exactly.
/// Whether Read Device starts the window's ResponseTimeout is the link's
/// wire format's to say (it arms it for N5 too, so a silent N5 is reported).
struct CommandRoute {
    std::string_view className;
    bool loadImage;        ///< File Open
    bool saveImage;        ///< Save, Save As
    bool writeDevice;      ///< Write Device
    bool firmwareUpdate;   ///< Update
    bool transferStep;     ///< the configuration worker steps the window
    bool printReport;      ///< the report button
};

/// The route of a window class, or nullptr for a class that is no device window.
const CommandRoute* routeFor(std::string_view className);

} // namespace wendax::gui
