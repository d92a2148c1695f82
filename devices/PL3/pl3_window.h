#pragma once
#include "app/device_window.h"

class QFrame;

namespace wendax::gui {

/// The PL3 window: no configuration, only the "Firmware" sheet, whose panel
/// with the reset warning appears once a firmware file has been chosen.
class TPL3_cfg final : public DeviceWindow {
    Q_OBJECT
public:
    explicit TPL3_cfg(FrameServices& services, QWidget* parent = nullptr);

    QFrame* panel() const { return m_panel; }

private:
    void buildFirmwareSheet(QWidget* sheet, QVBoxLayout* layout) override;

    QFrame* m_panel = nullptr;
};

} // namespace wendax::gui
