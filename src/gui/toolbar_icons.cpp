#include "gui/toolbar_icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace hk {
namespace {

// Paints on a 32-unit grid at each size a toolbar may ask for.
QIcon Drawn(const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        paint(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon OpenProjectIcon() {
    return Drawn([](QPainter& p) {
        // A folder, its front leaf lifted open.
        p.setPen(QPen(QColor(0x7a, 0x55, 0x12), 1.5));
        p.setBrush(QColor(0xe0, 0xb0, 0x4a));
        QPainterPath back;
        back.moveTo(3, 8);
        back.lineTo(12, 8);
        back.lineTo(15, 11);
        back.lineTo(27, 11);
        back.lineTo(27, 26);
        back.lineTo(3, 26);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(QColor(0xf5, 0xd0, 0x6e));
        QPainterPath leaf;
        leaf.moveTo(3, 26);
        leaf.lineTo(8, 15);
        leaf.lineTo(30, 15);
        leaf.lineTo(27, 26);
        leaf.closeSubpath();
        p.drawPath(leaf);
    });
}

QIcon HelpIcon() {
    return Drawn([](QPainter& p) {
        // A question mark in a blue disc.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2a, 0x62, 0xb8));
        p.drawEllipse(QRectF(2, 2, 28, 28));
        p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath mark;
        mark.moveTo(11.5, 12);
        mark.cubicTo(11.5, 6.5, 20.5, 6.5, 20.5, 12);
        mark.cubicTo(20.5, 15.5, 16, 15.5, 16, 19.5);
        p.drawPath(mark);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(14.2, 22.2, 3.6, 3.6));
    });
}

} // namespace hk
