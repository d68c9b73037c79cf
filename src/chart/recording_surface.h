#pragma once

#include "surface.h"

#include <QImage>
#include <QList>

namespace chart {

// A surface that records what is drawn, in user coordinates, so tests can
// assert "a segment from here to there in this colour" without pixels.
class RecordingSurface : public Surface {
public:
    enum class Kind { Erase, Line, Box, Fill, Circle, Text, Wipe, Picture };
    struct Op {
        Kind kind = Kind::Erase;
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // circle: centre in x1,y1, radius in x2
        QRgb colour = 0;
        int width = 0;
        int fillStyle = 1;
        QRgb fillColour = 0;
        QString text;
        QImage picture; // shared, not copied
    };

    // lineHeightPx: height of one text line, which only moves CurrentY.
    RecordingSurface(int widthPx = 669, int heightPx = 429, double lineHeightPx = 13.0)
        : Surface(widthPx, heightPx), m_lineHeight(lineHeightPx) {}

    QList<Op> ops;
    void clear() { ops.clear(); }

protected:
    void erase() override { ops.append(make(Kind::Erase, 0, 0, 0, 0, backColor())); }
    void drawLine(double x1, double y1, double x2, double y2) override {
        ops.append(make(Kind::Line, x1, y1, x2, y2, foreColor()));
    }
    void drawBox(double x1, double y1, double x2, double y2, QRgb c) override {
        ops.append(make(Kind::Box, x1, y1, x2, y2, c));
    }
    void drawFill(double x1, double y1, double x2, double y2, QRgb c) override {
        ops.append(make(Kind::Fill, x1, y1, x2, y2, c));
    }
    void drawPicture(const QImage& picture) override {
        Op op = make(Kind::Picture, 0, 0, 0, 0, 0);
        op.picture = picture;
        ops.append(op);
    }
    void drawCircle(double x, double y, double r, QRgb outline) override {
        ops.append(make(Kind::Circle, x, y, r, 0, outline));
    }
    void drawText(double x, double y, const QString& text) override {
        Op op = make(Kind::Text, x, y, 0, 0, foreColor());
        op.text = text;
        ops.append(op);
    }
    double lineHeightPx() const override { return m_lineHeight; }
    // A wipe is recorded as the pixel rectangle it restores.
    void wipePx(double left, double top, double right, double bottom) override {
        ops.append(make(Kind::Wipe, left, top, right, bottom, 0));
    }

private:
    Op make(Kind kind, double x1, double y1, double x2, double y2, QRgb c) const {
        Op op;
        op.kind = kind;
        op.x1 = x1;
        op.y1 = y1;
        op.x2 = x2;
        op.y2 = y2;
        op.colour = c;
        op.width = drawWidth();
        op.fillStyle = fillStyle();
        op.fillColour = fillColor();
        return op;
    }

    double m_lineHeight;
};

} // namespace chart
