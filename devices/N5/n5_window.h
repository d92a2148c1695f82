#pragma once
#include "app/device_window.h"

namespace wendax::gui {

/// The N5 window: five pages over the N5 form, the input grid with its
/// Boolean cells and the status-event grid.
class TN5_cfg final : public DeviceWindow {
    Q_OBJECT
public:
    explicit TN5_cfg(FrameServices& services, QWidget* parent = nullptr);

    QTableView* inputGrid() const { return m_inputGrid; }
    QTableView* statusGrid() const { return m_statusGrid; }

private:
    void buildMainPage();
    void buildEthernetPage();
    void buildOutputsPage();
    void buildInputsPage();
    void buildStatusEventsPage();

    QTableView* m_inputGrid = nullptr;
    QTableView* m_statusGrid = nullptr;
};

} // namespace wendax::gui
