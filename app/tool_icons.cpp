#include "tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace wendax::gui {
namespace {

constexpr int kSize = 16;
const QColor kOutline(60, 60, 60);

void drawOpen(QPainter& p)
{
    p.setPen(QColor(150, 110, 20));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(1, 4, 12, 9);
    p.drawRect(1, 3, 5, 2);
    p.setBrush(QColor(252, 224, 130));
    QPainterPath lid;
    lid.moveTo(3.5, 7.5);
    lid.lineTo(15.5, 7.5);
    lid.lineTo(13.5, 13.5);
    lid.lineTo(1.5, 13.5);
    lid.closeSubpath();
    p.drawPath(lid);
}

void drawSave(QPainter& p)
{
    p.setPen(QColor(30, 50, 110));
    p.setBrush(QColor(60, 100, 190));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
    p.setBrush(Qt::white);
    p.drawRect(4, 2, 8, 5);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(4, 10, 8, 4);
}

void drawPlug(QPainter& p, bool connected)
{
    const QColor body = connected ? QColor(40, 150, 60) : QColor(190, 50, 40);
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(body);
    // Left half with prongs.
    p.drawRoundedRect(QRectF(2.5, 5.5, 4, 5), 1, 1);
    p.drawLine(QPointF(6.5, 6.5), QPointF(connected ? 9.5 : 7.5, 6.5));
    p.drawLine(QPointF(6.5, 9.5), QPointF(connected ? 9.5 : 7.5, 9.5));
    p.drawLine(QPointF(0.5, 8), QPointF(2.5, 8));
    // Right half (the socket), apart when disconnected.
    const double x = connected ? 9.5 : 11.0;
    p.drawRoundedRect(QRectF(x, 5.5, 4, 5), 1, 1);
    p.drawLine(QPointF(x + 4, 8), QPointF(15.5, 8));
}

void drawArrowBox(QPainter& p, bool down)
{
    p.setPen(kOutline);
    p.setBrush(QColor(225, 230, 240));
    p.drawRect(1, 9, 14, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(down ? QColor(40, 120, 200) : QColor(220, 120, 30));
    QPainterPath arrow;
    if (down) {
        arrow.addRect(6, 1, 4, 5);
        arrow.moveTo(3, 6);
        arrow.lineTo(13, 6);
        arrow.lineTo(8, 11);
    } else {
        arrow.addRect(6, 5, 4, 6);
        arrow.moveTo(3, 6);
        arrow.lineTo(13, 6);
        arrow.lineTo(8, 1);
    }
    arrow.closeSubpath();
    p.drawPath(arrow);
}

void drawReport(QPainter& p)
{
    p.setPen(kOutline);
    p.setBrush(Qt::white);
    p.drawRect(2, 1, 11, 14);
    p.setPen(QColor(90, 110, 150));
    for (int y = 4; y <= 12; y += 2)
        p.drawLine(4, y, y == 12 ? 8 : 11, y);
}

} // namespace

QIcon toolIcon(ToolIcon icon)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (icon) {
    case ToolIcon::Open: drawOpen(painter); break;
    case ToolIcon::Save: drawSave(painter); break;
    case ToolIcon::Connect: drawPlug(painter, true); break;
    case ToolIcon::Disconnect: drawPlug(painter, false); break;
    case ToolIcon::Receive: drawArrowBox(painter, true); break;
    case ToolIcon::Send: drawArrowBox(painter, false); break;
    case ToolIcon::Report: drawReport(painter); break;
    }
    painter.end();
    return QIcon(pixmap);
}

} // namespace wendax::gui
