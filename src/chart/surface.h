#pragma once

#include <QRgb>
#include <QString>

class QImage;

// A drawing surface with a user coordinate system: the chart operations the
// plot routines draw through. Attributes (colours, pen width, fill, font,
// transparent text) persist between routines; a routine that does not set
// one draws with what the previous step left.
namespace chart {

// The colour table the chart names by index.
namespace colour {
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb DarkGreen = qRgb(0, 128, 0);
constexpr QRgb DarkRed = qRgb(128, 0, 0);
constexpr QRgb Gray = qRgb(128, 128, 128);
constexpr QRgb Blue = qRgb(0, 0, 255);
constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb White = qRgb(255, 255, 255);
} // namespace colour

// Twips (1/1440 inch) per device-independent pixel at 100 %: the form's
// layout was drawn in twips on a 96 dpi screen.
inline constexpr int TwipsPerPixel = 15;
constexpr int pxOfTwips(int twips) {
    return twips / TwipsPerPixel;
}

// Units of the scale: user coordinates or twips.
enum class ScaleMode { User = 0, Twips = 1 };

class Surface {
public:
    // widthPx, heightPx: the drawable area in device-independent pixels.
    Surface(int widthPx, int heightPx);
    virtual ~Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int widthPx() const { return m_widthPx; }
    int heightPx() const { return m_heightPx; }

    // (x1, y1) is the top-left corner, (x2, y2) the bottom-right one; with
    // (0, 14)-(14, 0) y grows upward.
    void Scale(double x1, double y1, double x2, double y2);
    ScaleMode scaleMode() const { return m_scaleMode; }
    void setScaleMode(ScaleMode mode);
    double ScaleLeft() const { return m_scaleLeft; }
    double ScaleTop() const { return m_scaleTop; }
    double ScaleWidth() const { return m_scaleWidth; }
    double ScaleHeight() const { return m_scaleHeight; }
    // Each setter switches the mode to user coordinates, as a picture box does.
    void setScaleLeft(double v);
    void setScaleTop(double v);
    void setScaleWidth(double v);
    void setScaleHeight(double v);

    // Erases everything drawn; the background colour and picture remain.
    void Cls();
    // Background colour; setting it erases like Cls.
    void BackColor(QRgb c);
    QRgb backColor() const { return m_backColor; }

    void ForeColor(QRgb c) { m_foreColor = c; }
    QRgb foreColor() const { return m_foreColor; }
    void DrawWidth(int px) { m_drawWidth = px < 1 ? 1 : px; }
    int drawWidth() const { return m_drawWidth; }
    // 0 solid, 1 transparent: the interior of circles.
    void FillStyle(int style) { m_fillStyle = style; }
    int fillStyle() const { return m_fillStyle; }
    void FillColor(QRgb c) { m_fillColor = c; }
    QRgb fillColor() const { return m_fillColor; }
    void FontSize(double points);
    double fontSize() const { return m_fontSize; }
    void FontTransparent(bool on) { m_fontTransparent = on; }
    bool fontTransparent() const { return m_fontTransparent; }

    double CurrentX() const { return m_currentX; }
    double CurrentY() const { return m_currentY; }
    void setCurrentX(double x) { m_currentX = x; }
    void setCurrentY(double y) { m_currentY = y; }

    // Lines and circles stay inside this rectangle of user coordinates (two
    // opposite corners) until NoClip: a line is cut at its edges, a circle
    // whose centre lies outside is not drawn. Text is never cut.
    void ClipTo(double x1, double y1, double x2, double y2);
    void NoClip() { m_clip = false; }

    // Segment in ForeColor, DrawWidth pixels wide; ends at the second point
    // (wherever the clip cuts it).
    void Line(double x1, double y1, double x2, double y2);
    // Solid rectangle filled and outlined in colour c; ends at the second corner.
    void LineBoxFilled(double x1, double y1, double x2, double y2, QRgb c);
    // Rectangle filled with c, which may be translucent, without an
    // outline. Its edges fall on whole device pixels, so boxes that share an
    // edge tile without a seam between them or a darker overlap.
    void FillBox(double x1, double y1, double x2, double y2, QRgb c);
    // Circle around (x, y); the radius is measured in x units.
    void Circle(double x, double y, double radius, QRgb outline);
    // A picture over everything drawn so far, its top-left corner on the
    // surface's, at its natural size in device-independent pixels: a layer
    // drawn once, kept, and laid over the chart on every redraw. The clip
    // does not cut it.
    void PaintPicture(const QImage& picture);
    // Text with its top-left corner at the current position; afterwards the
    // position returns to the left of the scale, one text line down.
    void Print(const QString& text);

    // The animation draws over the finished chart and must be able to take
    // its strokes off again without a trace. KeepAsDrawn marks the picture
    // as drawn; the two wipes put back what it held under a segment at the
    // current DrawWidth, or under a circle of this radius (in x units, as
    // Circle measures it). The picture is copied at the first wipe, so
    // nothing but the animation may draw between KeepAsDrawn and it.
    void KeepAsDrawn() { keepAsDrawn(); }
    void WipeLine(double x1, double y1, double x2, double y2);
    void WipeCircle(double x, double y, double radius);

    // Pixel position of a user coordinate (device-independent pixels).
    double toPxX(double x) const;
    double toPxY(double y) const;

protected:
    // What a concrete surface does with each primitive, in user coordinates
    // already resolved to pixels by the mapping above where it draws.
    virtual void erase() = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    virtual void drawBox(double x1, double y1, double x2, double y2, QRgb c) = 0;
    virtual void drawFill(double x1, double y1, double x2, double y2, QRgb c) = 0;
    virtual void drawPicture(const QImage& picture) = 0;
    virtual void drawCircle(double x, double y, double radius, QRgb outline) = 0;
    virtual void drawText(double x, double y, const QString& text) = 0;
    virtual void fontChanged() {}
    // Only a surface with a persistent picture can put pixels back; the
    // others (vector exports) are never animated.
    virtual void keepAsDrawn() {}
    // left, top, right, bottom in device-independent pixels.
    virtual void wipePx(double /*left*/, double /*top*/, double /*right*/, double /*bottom*/) {}
    // Height of one text line in pixels at the current font size.
    virtual double lineHeightPx() const = 0;

private:
    int m_widthPx;
    int m_heightPx;
    ScaleMode m_scaleMode = ScaleMode::User;
    double m_scaleLeft = 0, m_scaleTop = 0, m_scaleWidth, m_scaleHeight;
    QRgb m_backColor = colour::White;
    QRgb m_foreColor = colour::Black;
    int m_drawWidth = 1;
    int m_fillStyle = 1;
    QRgb m_fillColor = colour::Black;
    double m_fontSize = 8;
    bool m_fontTransparent = true;
    double m_currentX = 0, m_currentY = 0;
    bool m_clip = false;
    double m_clipLeft = 0, m_clipBottom = 0, m_clipRight = 0, m_clipTop = 0;
};

} // namespace chart
