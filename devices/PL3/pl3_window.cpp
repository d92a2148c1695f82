#include "pl3_window.h"

#include "pl3_definition.h"

#include "app/messages.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace wendax::gui {
namespace {

constexpr int kWarningPixels = 23;

} // namespace

TPL3_cfg::TPL3_cfg(FrameServices& services, QWidget* parent)
    : DeviceWindow(pl3Definition(), services, parent)
{
    finishCreation();
    if (FirmwareSession* firmware = firmwareSession())
        connect(firmware, &FirmwareSession::started, m_panel, &QWidget::show);
}

void TPL3_cfg::buildFirmwareSheet(QWidget* sheet, QVBoxLayout* layout)
{
    m_panel = new QFrame(sheet);
    setComponent(m_panel, QStringLiteral("Panel1"), "TPanel");
    auto* panelLayout = new QVBoxLayout(m_panel);
    QLabel* warning = addLabel(m_panel, msg::kPl3ResetWarning);
    QFont font = warning->font();
    font.setPixelSize(kWarningPixels);
    warning->setFont(font);
    QPalette palette = warning->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    warning->setPalette(palette);
    panelLayout->addWidget(warning);
    addFirmwareProgress(m_panel, panelLayout);
    layout->addWidget(m_panel);
    m_panel->hide();
}

} // namespace wendax::gui
