#include "raster_replay.h"

#include <QFont>
#include <QPainter>

void replayInto(QImage& image, const QImage& background, const chart::RecordingSurface& recorded) {
    using Kind = chart::RecordingSurface::Kind;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(8);
    p.setFont(font);
    const chart::Surface& s = recorded;
    for (const auto& op : recorded.ops) {
        switch (op.kind) {
        case Kind::Erase:
            p.fillRect(image.rect(), Qt::white);
            p.drawImage(QPointF(0, 0), background);
            break;
        case Kind::Line: {
            // One device pixel wide when a little over it, as the chart draws them.
            QPen pen(QColor::fromRgb(op.colour), op.width);
            const qreal px = op.width * image.devicePixelRatio();
            pen.setCosmetic(px > 1.0 && px < 1.5);
            if (pen.isCosmetic())
                pen.setWidthF(1.0);
            p.setPen(pen);
            p.drawLine(QPointF(s.toPxX(op.x1), s.toPxY(op.y1)),
                       QPointF(s.toPxX(op.x2), s.toPxY(op.y2)));
            break;
        }
        case Kind::Box:
            p.fillRect(QRectF(QPointF(s.toPxX(op.x1), s.toPxY(op.y1)),
                              QPointF(s.toPxX(op.x2), s.toPxY(op.y2))),
                       QColor::fromRgb(op.colour));
            break;
        case Kind::Fill: {
            const bool antialiased = p.testRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.fillRect(QRectF(QPointF(s.toPxX(op.x1), s.toPxY(op.y1)),
                              QPointF(s.toPxX(op.x2), s.toPxY(op.y2)))
                           .normalized(),
                       QColor::fromRgba(op.colour));
            p.setRenderHint(QPainter::Antialiasing, antialiased);
            break;
        }
        case Kind::Picture:
            p.drawImage(QPointF(0, 0), op.picture);
            break;
        case Kind::Circle: {
            p.setPen(QPen(QColor::fromRgb(op.colour), op.width));
            p.setBrush(op.fillStyle == 0 ? QBrush(QColor::fromRgb(op.fillColour)) : QBrush());
            const double r = op.x2 / s.ScaleWidth() * s.widthPx();
            p.drawEllipse(QPointF(s.toPxX(op.x1), s.toPxY(op.y1)), r, r);
            p.setBrush(Qt::NoBrush);
            break;
        }
        case Kind::Text:
            p.setPen(QColor::fromRgb(op.colour));
            p.drawText(QPointF(s.toPxX(op.x1), s.toPxY(op.y1) + 8), op.text);
            break;
        case Kind::Wipe: // only the animation wipes; a redraw never does
            break;
        }
    }
}
