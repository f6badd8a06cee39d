#include "gui/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace hk {
namespace {

QPixmap Draw(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // The hearth: a stone arch on a hearthstone (the same shapes as the SVG, on a 64 grid).
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x4b, 0x2d));
    QPainterPath arch;
    arch.moveTo(8, 56);
    arch.lineTo(8, 26);
    arch.quadTo(32, 2, 56, 26);
    arch.lineTo(56, 56);
    arch.lineTo(46, 56);
    arch.lineTo(46, 30);
    arch.quadTo(32, 16, 18, 30);
    arch.lineTo(18, 56);
    arch.closeSubpath();
    p.drawPath(arch);
    p.setBrush(QColor(0x5c, 0x33, 0x1f));
    p.drawRect(QRectF(4, 54, 56, 6));

    // The flame.
    QPainterPath flame;
    flame.moveTo(32, 24);
    flame.cubicTo(40, 34, 44, 42, 38, 52);
    flame.lineTo(26, 52);
    flame.cubicTo(20, 44, 26, 34, 32, 24);
    p.setBrush(QColor(0xe8, 0x6a, 0x17));
    p.drawPath(flame);
    QPainterPath inner;
    inner.moveTo(32, 36);
    inner.cubicTo(36, 42, 37, 47, 35, 52);
    inner.lineTo(29, 52);
    inner.cubicTo(27, 46, 29, 41, 32, 36);
    p.setBrush(QColor(0xf7, 0xc3, 0x3c));
    p.drawPath(inner);
    return pixmap;
}

} // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(Draw(size));
    return icon;
}

} // namespace hk
