// The chart the ASHRAE equations draw: dry bulb across, humidity ratio up,
// every reference line computed by the moist-air library at the chart's
// pressure and in its unit system, so it holds at any altitude.
#include "plots.h"

#include "psychro/air_chart.h"
#include "psychro/numconv.h"

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace chart {

using psychro::AirChart;
using psychro::ChartState;
using psychro::clsGraph;
namespace moist = psychro::moist;

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
// User units: between a label and what it labels (about 2 px); axis labels
// off the frame, as on the tables' chart; the step of a label's search.
constexpr double Gap = 0.04, LabelGap = 0.125, Scan = 0.05;
// The enthalpy scale's ticks: from this far beyond the saturation curve,
// clear of the wet-bulb labels, and this long; user units.
constexpr double ScaleOffset = 0.55, TickLength = 0.2;

// What differs between the unit systems: the steps between lines, the
// label patterns and the unit names.
struct AirUnits {
    double dryBulb, wetBulb; // F or C
    double volume;           // ft3/lb, m3/kg
    double enthalpy;         // Btu/lb, kJ/kg
    double ratioScale;       // labelled W per W: lb/lb, g/kg
    const char *ratioPattern, *volumePattern;
    const char *temperature, *ratio, *enthalpyUnit, *pressure; // UTF-8
};
constexpr AirUnits Ip{10, 5, 0.5, 5, 1, "0.000", "0.0", "°F", "lb/lb", "Btu/lb", "psia"};
constexpr AirUnits Si{5, 2, 0.02, 10, 1000, "0", "0.00", "°C", "g/kg", "kJ/kg", "kPa"};

// Humidity-ratio lines every 0.002 (2 g/kg); 0.005 on a chart above 0.04.
double ratioStep(const AirChart& c) {
    return c.wMax > 0.04 ? 0.005 : 0.002;
}

// A label's rectangle in user coordinates, y upward.
struct Box {
    double left, bottom, right, top;
    bool overlaps(const Box& o) const {
        return left < o.right + Gap && o.left < right + Gap && bottom < o.top + Gap &&
               o.bottom < top + Gap;
    }
};

// The plot area, the chart's mapping and the labels placed so far.
class AirPlot {
public:
    AirPlot(Surface& surface, const clsGraph& graph, const AirChart& chart)
        : g(surface), c(chart), u(chart.units == moist::Units::SI ? Si : Ip),
          left(graph.sngMinXValue), bottom(graph.sngMinYValue), right(graph.sngMaxXValue),
          top(graph.sngMaxYValue), m_graph(graph) {
        // One em of the font in user units: its size in points at 96 dpi.
        const double emPx = g.fontSize() * 96 / 72;
        m_emX = emPx * std::abs(g.ScaleWidth()) / g.widthPx();
        m_emY = emPx * std::abs(g.ScaleHeight()) / g.heightPx();
    }

    Surface& g;
    const AirChart& c;
    const AirUnits& u;
    const double left, bottom, right, top;

    moist::Units units() const { return c.units; }
    double x(double t) const { return psychro::xOfDryBulb(m_graph, c, t); }
    double y(double W) const { return psychro::yOfRatio(m_graph, c, W); }
    double t(double x) const { return psychro::dryBulbOfX(m_graph, c, x); }
    // Saturation W at t; infinite where the air would boil at this pressure.
    double saturation(double t) const {
        const double W = moist::saturationRatio(c.units, t, c.pressure);
        return std::isnan(W) ? Infinity : W;
    }
    double lineHeight() const { return 1.15 * m_emY; }
    double width(const QString& text) const;

    void reserve(const Box& b) { m_taken.push_back(b); }
    void print(const QString& text, double x, double yTop, QRgb colour) {
        g.ForeColor(colour);
        g.setCurrentX(x);
        g.setCurrentY(yTop);
        g.Print(text);
    }
    // Where a label must lie: anywhere; above the saturation curve when
    // inside the plot; inside the plot below the curve.
    enum class Side { Any, Above, Below };
    // Prints text with its top-left corner at (x, yTop) when its box lies
    // on the surface, wholly inside or wholly outside the plot area, on its
    // side of the saturation curve and clear of every label placed so far;
    // false, drawing nothing, otherwise. An opaque label hides the lines
    // under it: one that sits in a gap of its own line.
    bool place(const QString& text, double x, double yTop, QRgb colour, Side side = Side::Any,
               bool opaque = false);
    // The opaque labels, printed after every line so that none crosses them.
    void printGapLabels() {
        g.FontTransparent(false);
        for (const Label& l : m_gaps)
            print(l.text, l.x, l.yTop, l.colour);
        g.FontTransparent(true);
    }
    // Chords through pts, cut by the clip; the first of their points inside
    // the plot area.
    std::optional<QPointF> polyline(const std::vector<QPointF>& pts);

private:
    std::optional<QPointF> entry(QPointF p, QPointF q) const;

    const clsGraph& m_graph;
    double m_emX = 0, m_emY = 0;
    std::vector<Box> m_taken;
    struct Label {
        QString text;
        double x, yTop;
        QRgb colour;
    };
    std::vector<Label> m_gaps;
};

// The recording surface has no font to measure, so a label's width is
// estimated from Liberation Sans's advances in ems: narrow signs, '%' and
// 'm', capitals, and the digits with most small letters.
double AirPlot::width(const QString& text) const {
    double ems = 0;
    for (const QChar ch : text)
        ems += QStringLiteral(" .,:;()/-°filrt").contains(ch) ? 0.3
               : ch == u'%' || ch == u'm'                     ? 0.89
               : ch.isUpper()                                 ? 0.72
                                                              : 0.556;
    return ems * m_emX;
}

bool AirPlot::place(const QString& text, double x, double yTop, QRgb colour, Side side,
                    bool opaque) {
    const Box b{x, yTop - lineHeight(), x + width(text), yTop};
    const double sx1 = g.ScaleLeft(), sx2 = sx1 + g.ScaleWidth();
    const double sy1 = g.ScaleTop(), sy2 = sy1 + g.ScaleHeight();
    if (b.left < std::min(sx1, sx2) || b.right > std::max(sx1, sx2) ||
        b.bottom < std::min(sy1, sy2) || b.top > std::max(sy1, sy2))
        return false;
    const bool inside = b.left >= left && b.right <= right && b.bottom >= bottom && b.top <= top;
    const bool outside = b.right <= left || b.left >= right || b.top <= bottom || b.bottom >= top;
    if (!inside && (!outside || side == Side::Below))
        return false;
    // The curve rises with t: the box is above it when its right end is,
    // below it when its left end is.
    if (inside && ((side == Side::Above && !(y(saturation(t(b.right))) < b.bottom)) ||
                   (side == Side::Below && !(y(saturation(t(b.left))) > b.top))))
        return false;
    for (const Box& o : m_taken)
        if (b.overlaps(o))
            return false;
    reserve(b);
    if (opaque)
        m_gaps.push_back({text, x, yTop, colour});
    else
        print(text, x, yTop, colour);
    return true;
}

std::optional<QPointF> AirPlot::polyline(const std::vector<QPointF>& pts) {
    std::optional<QPointF> first;
    for (size_t i = 1; i < pts.size(); ++i) {
        g.Line(pts[i - 1].x(), pts[i - 1].y(), pts[i].x(), pts[i].y());
        if (!first)
            first = entry(pts[i - 1], pts[i]);
    }
    return first;
}

// Where segment p-q enters the plot area (Liang-Barsky), if it does.
std::optional<QPointF> AirPlot::entry(QPointF p, QPointF q) const {
    const double dx = q.x() - p.x(), dy = q.y() - p.y();
    const double edges[4][2] = {
        {-dx, p.x() - left}, {dx, right - p.x()}, {-dy, p.y() - bottom}, {dy, top - p.y()}};
    double t0 = 0, t1 = 1;
    for (const auto& [d, room] : edges) {
        if (d == 0) {
            if (room < 0)
                return std::nullopt;
            continue;
        }
        if (d < 0)
            t0 = std::max(t0, room / d);
        else
            t1 = std::min(t1, room / d);
    }
    if (t0 > t1)
        return std::nullopt;
    return QPointF(p.x() + t0 * dx, p.y() + t0 * dy);
}

// The three captions at their fixed places: the dry bulb's under its
// labels, the humidity ratio's and the method's in the top row.
struct Caption {
    QString text;
    double x, yTop;
};
std::vector<Caption> captions(const AirPlot& a) {
    const Surface& g = a.g;
    const double h = a.lineHeight(),
                 rowTop = std::max(g.ScaleTop(), g.ScaleTop() + g.ScaleHeight());
    const double surfaceRight = std::max(g.ScaleLeft(), g.ScaleLeft() + g.ScaleWidth());
    const QString dry =
        QStringLiteral("Dry Bulb Temperature (%1)").arg(QString::fromUtf8(a.u.temperature));
    const QString ratio = QStringLiteral("Humidity Ratio (%1)").arg(QString::fromUtf8(a.u.ratio));
    const double p = a.c.pressure;
    QString method = QStringLiteral("ASHRAE equations   %1 %2")
                         .arg(psychro::FormatNumber(p, QStringLiteral("0.000")),
                              QString::fromUtf8(a.u.pressure));
    // As shown: the standard atmosphere at z = 0 to the third decimal.
    if (std::abs(p - moist::standardPressure(a.units(), 0)) < 0.0005)
        method += QStringLiteral(" (sea level)");
    return {{dry, (a.left + a.right - a.width(dry)) / 2, a.bottom - LabelGap - h - Gap},
            {ratio, surfaceRight - Gap - a.width(ratio), rowTop - Gap},
            {method, a.left, rowTop - Gap}};
}

// A range inside the equations' and a pressure down to a quarter of sea
// level's (about 11 km up; the volume lines grow in number as it falls).
// Anything else gets the frame alone.
bool drawable(const AirChart& c) {
    const moist::Units u = c.units;
    return c.tMin >= moist::minDryBulb(u) && c.tMax <= moist::maxDryBulb(u) && c.tMin < c.tMax &&
           c.wMax > 0 && c.wMax <= 1 && c.pressure >= moist::standardPressure(u, 0) / 4 &&
           std::isfinite(c.pressure);
}

void backgroundAndFrame(AirPlot& a) {
    Surface& g = a.g;
    g.FontTransparent(true);
    g.BackColor(colour::White);
    // Over a background picture too: the tables' chart's artwork carries
    // captions in its own units and places.
    g.LineBoxFilled(g.ScaleLeft(), g.ScaleTop(), g.ScaleLeft() + g.ScaleWidth(),
                    g.ScaleTop() + g.ScaleHeight(), colour::White);
    g.DrawWidth(1);
    g.ForeColor(colour::Black);
    g.Line(a.left, a.bottom, a.right, a.bottom);
    g.Line(a.right, a.bottom, a.right, a.top);
    g.Line(a.right, a.top, a.left, a.top);
    g.Line(a.left, a.top, a.left, a.bottom);
}

void dryBulbGrid(AirPlot& a) {
    const double step = a.u.dryBulb;
    for (int k = int(std::ceil(a.c.tMin / step)); k * step <= a.c.tMax; ++k) {
        const double t = k * step, x = a.x(t);
        const QString label = psychro::FormatNumber(t, QStringLiteral("0"));
        a.place(label, x - a.width(label) / 2, a.bottom - LabelGap, colour::Black);
        if (x > a.left && x < a.right) {
            a.g.ForeColor(colour::Gray);
            a.g.Line(x, a.bottom, x, std::min(a.top, a.y(a.saturation(t))));
        }
    }
}

void ratioLines(AirPlot& a) {
    const double step = ratioStep(a.c);
    // k x step lands a hair above a wMax it equals (15 x 0.002 > 0.03).
    for (int k = 1; k * step <= a.c.wMax * (1 + 1e-9); ++k) {
        const double W = k * step, y = a.y(W);
        const QString label =
            psychro::FormatNumber(W * a.u.ratioScale, QString::fromLatin1(a.u.ratioPattern));
        a.place(label, a.right + LabelGap, y + a.lineHeight() / 2, colour::Black);
        if (y >= a.top)
            continue;
        // A W that saturates below the range starts at the left edge.
        const double dew = moist::dewPoint(a.units(), W, a.c.pressure);
        a.g.ForeColor(colour::Gray);
        a.g.Line(std::isnan(dew) ? a.left : std::max(a.left, a.x(dew)), y, a.right, y);
    }
}

// W(t) in 1-degree chords from the left edge up to the chord that leaves
// through the top (the clip cuts it there).
template <class Ratio> void curve(AirPlot& a, Ratio ratioAt) {
    std::vector<QPointF> pts;
    const int n = int(std::ceil(a.c.tMax - a.c.tMin));
    for (int i = 0; i <= n; ++i) {
        const double t = std::min(a.c.tMin + i, a.c.tMax), W = ratioAt(t);
        if (std::isnan(W))
            break;
        pts.emplace_back(a.x(t), a.y(W));
        if (W > a.c.wMax)
            break;
    }
    a.polyline(pts);
}

// y of the curve of relative humidity k x 10 % at x; infinite where the
// air would boil.
double rhY(const AirPlot& a, int k, double x) {
    const double W = moist::humidityRatioFromRh(a.units(), a.t(x), k / 10.0, a.c.pressure);
    return std::isnan(W) ? Infinity : a.y(W);
}

// Above its curve and below the next one up, left of a point of the curve,
// as far right as there is room: by the right edge, or under the top edge
// near where the curve leaves it. Where the curves crowd (the high
// humidities) in a gap of the curve itself, as near where it leaves.
void rhLabel(AirPlot& a, int k) {
    const QString text = k == 1 ? QStringLiteral("10% RH") : QStringLiteral("%1%").arg(10 * k);
    const double w = a.width(text), h = a.lineHeight();
    for (double x = a.right - LabelGap; x - w > a.left; x -= Scan) {
        const double yTop = rhY(a, k, x) + Gap + h;
        if (yTop <= a.top - Gap && rhY(a, k + 1, x - w) > yTop + Gap &&
            a.place(text, x - w, yTop, colour::Blue))
            return;
    }
    for (double x = a.right - Gap - w / 2; x - w / 2 > a.left; x -= Scan)
        if (a.place(text, x - w / 2, rhY(a, k, x) + h / 2, colour::Blue, AirPlot::Side::Below,
                    true))
            return;
}

void saturationAndHumidity(AirPlot& a) {
    const double p = a.c.pressure;
    a.g.ForeColor(SaturationColour);
    curve(a, [&](double t) { return moist::saturationRatio(a.units(), t, p); });
    a.g.ForeColor(colour::Blue);
    for (int k = 1; k <= 9; ++k)
        curve(a, [&](double t) { return moist::humidityRatioFromRh(a.units(), t, k / 10.0, p); });
    for (int k = 9; k >= 1; --k)
        rhLabel(a, k);
}

// Unit vector from p toward q.
QPointF towards(QPointF p, QPointF q) {
    const QPointF d = q - p;
    return d / std::hypot(d.x(), d.y());
}

// A label beyond point p in direction out (a unit vector), its box
// touching the line across out at distance near, or further out up to far
// when that place is taken.
bool labelBeyond(AirPlot& a, const QString& text, QPointF p, QPointF out, double near, double far,
                 QRgb colour) {
    const double w = a.width(text), h = a.lineHeight();
    // Half the box's extent along out.
    const double half = (std::abs(out.x()) * w + std::abs(out.y()) * h) / 2;
    for (double d = near; d <= far + 1e-9; d += Scan) {
        const QPointF c = p + out * (d + half);
        if (a.place(text, c.x() - w / 2, c.y() + h / 2, colour, AirPlot::Side::Above))
            return true;
    }
    return false;
}

// A line's label at its upper end: beyond it along the line, over the
// saturation curve, or in a row above the frame where the line comes in
// through the top edge (or ends too near it for the label to fit below).
void labelEnd(AirPlot& a, const QString& text, QPointF end, QPointF out, double far, QRgb colour) {
    if (end.y() < a.top - 1e-9 && labelBeyond(a, text, end, out, Gap, far, colour))
        return;
    if (end.y() < a.top - 0.6)
        return; // too far below the row to be read as this line's
    const double w = a.width(text), h = a.lineHeight();
    for (int row = 1; row <= 2; ++row)
        for (double shift : {0.0, -w / 2, w / 2, -w, w})
            if (a.place(text, end.x() - w / 2 + shift, a.top + row * (h + Gap), colour))
                return;
}

// From the saturation curve, where dry bulb and wet bulb meet, down by the
// psychrometric equation in chords of one step to W = 0 or the right edge;
// labelled close to the curve, the enthalpy scale lying further out.
void wetBulbLines(AirPlot& a) {
    const double step = a.u.wetBulb;
    for (int k = int(std::ceil(a.c.tMin / step)); k * step < a.c.tMax; ++k) {
        const double wb = k * step;
        std::vector<QPointF> pts;
        for (double t = wb;; t = std::min(t + step, a.c.tMax)) {
            const double W = moist::ratioAtWetBulb(a.units(), t, wb, a.c.pressure);
            if (std::isnan(W))
                break;
            pts.emplace_back(a.x(t), a.y(W));
            if (W < 0 || t >= a.c.tMax)
                break;
        }
        a.g.ForeColor(colour::DarkRed);
        if (const auto end = a.polyline(pts))
            labelEnd(a, psychro::FormatNumber(wb, QStringLiteral("0")), *end,
                     towards(pts[1], pts[0]), 0.2, colour::DarkRed);
    }
}

// A label in a gap of a straight line, centred on it just below its upper
// end (where the wet-bulb labels crowd over the curve), further down when
// that place is taken.
void gapLabel(AirPlot& a, const QString& text, QPointF end, QPointF down) {
    const double w = a.width(text), h = a.lineHeight();
    for (double d = h / 2; d < 3; d += Scan) {
        const QPointF c = end + down * d;
        if (a.place(text, c.x() - w / 2, c.y() + h / 2, colour::DarkGreen, AirPlot::Side::Below,
                    true))
            return;
    }
}

// Constant volume from the saturation curve to W = 0, in 1-degree chords
// (the volume is linear in W at each t, so W comes straight from it).
void volumeLines(AirPlot& a) {
    const double p = a.c.pressure, step = a.u.volume;
    auto ratioAt = [&](double v, double t) {
        const double dry = moist::specificVolume(a.units(), t, 0, p);
        return (v - dry) / (moist::specificVolume(a.units(), t, 1, p) - dry);
    };
    // Above saturation (fog) left of the start: bisection, as the line's W
    // falls with t and the curve's rises.
    auto above = [&](double v, double t) { return ratioAt(v, t) > a.saturation(t); };
    const double lowest = moist::specificVolume(a.units(), a.c.tMin, 0, p);
    const double highest = moist::specificVolume(a.units(), a.c.tMax, a.c.wMax, p);
    for (int k = int(std::ceil(lowest / step)); k * step <= highest; ++k) {
        const double v = k * step;
        if (above(v, a.c.tMax))
            continue;
        double start = a.c.tMin;
        if (above(v, start)) {
            double lo = start, hi = a.c.tMax;
            for (int i = 0; i < 50; ++i) {
                const double mid = (lo + hi) / 2;
                (above(v, mid) ? lo : hi) = mid;
            }
            start = hi;
        }
        std::vector<QPointF> pts;
        for (double t = start;; t = std::min(t + 1, a.c.tMax)) {
            const double W = ratioAt(v, t);
            pts.emplace_back(a.x(t), a.y(W));
            if (W < 0 || t >= a.c.tMax)
                break;
        }
        a.g.ForeColor(colour::DarkGreen);
        if (const auto end = a.polyline(pts))
            gapLabel(a, psychro::FormatNumber(v, QString::fromLatin1(a.u.volumePattern)), *end,
                     towards(pts[0], pts[1]));
    }
}

// Constant enthalpy as a scale beyond the wet-bulb labels: each value's
// line continued past the saturation curve, a tick on it from ScaleOffset
// out, labelled beyond; where the line meets saturation above the plot, a
// tick down from the top edge labelled above the frame. A straightedge
// along the wet-bulb lines reads h between them.
void enthalpyScale(AirPlot& a) {
    const moist::Units un = a.units();
    // Enthalpy is linear in W at each t.
    auto ratioAt = [&](double h, double t) {
        const double dry = moist::enthalpy(un, t, 0);
        return (h - dry) / (moist::enthalpy(un, t, 1) - dry);
    };
    auto saturated = [&](double t) { return moist::enthalpy(un, t, a.saturation(t)); };
    const double step = a.u.enthalpy, highest = moist::enthalpy(un, a.c.tMax, a.c.wMax);
    if (!std::isfinite(saturated(a.c.tMin)))
        return; // the air boils across the range at this pressure
    std::vector<QPointF> ends;
    QPointF out;
    a.g.ForeColor(colour::Black);
    for (int k = int(std::ceil(saturated(a.c.tMin) / step)); k * step <= highest; ++k) {
        const double h = k * step;
        if (!(saturated(a.c.tMax) >= h))
            continue; // meets saturation right of the plot, never inside it
        double lo = a.c.tMin, hi = a.c.tMax;
        for (int i = 0; i < 50; ++i) {
            const double mid = (lo + hi) / 2;
            (saturated(mid) < h ? lo : hi) = mid;
        }
        const QPointF p(a.x(hi), a.y(ratioAt(h, hi)));
        out = towards(p, QPointF(a.x(hi - 1), a.y(ratioAt(h, hi - 1)))); // up and left
        const QString label = psychro::FormatNumber(h, QStringLiteral("0"));
        if (p.y() > a.top) {
            const QPointF e(a.x(moist::dryBulb(un, h, a.c.wMax)), a.top);
            a.g.Line(e.x(), e.y(), e.x() - out.x() * TickLength, e.y() - out.y() * TickLength);
            labelEnd(a, label, e, out, 0, colour::Black);
            continue;
        }
        const QPointF e = p + out * (ScaleOffset + TickLength);
        a.g.Line(p.x() + out.x() * ScaleOffset, p.y() + out.y() * ScaleOffset, e.x(), e.y());
        ends.push_back(e);
        labelEnd(a, label, e, out, 0.2, colour::Black);
    }
    if (ends.empty())
        return;
    // The scale's name beyond its middle labels.
    const QString name = QStringLiteral("Enthalpy (%1)").arg(QString::fromUtf8(a.u.enthalpyUnit));
    labelBeyond(a, name, ends[ends.size() / 2], out, 0.5, 2.5, colour::Black);
}

} // namespace

void Plot_AirReference(Surface& g, const clsGraph& graph, const AirChart& c) {
    g.ClipTo(graph.sngMinXValue, graph.sngMinYValue, graph.sngMaxXValue, graph.sngMaxYValue);
    AirPlot a(g, graph, c);
    // No label goes where the captions or the legend will be (PlotLegend:
    // four rows 0.4 apart from 0.25 under the top edge), nor where a
    // weather year's scale of hours goes under it (a cell holds hundreds
    // of hours at most in any climate), whether or not a year is shown: the
    // picture is the same either way.
    const std::vector<Caption> fixed = captions(a);
    for (const Caption& k : fixed)
        a.reserve({k.x, k.yTop - a.lineHeight(), k.x + a.width(k.text), k.yTop});
    a.reserve(
        {a.left, a.top - LegendDepth, a.left + 0.5 + a.width(QStringLiteral("MIXED AIR")), a.top});
    a.reserve({a.left, a.top - DensityScaleDepth,
               a.left + DensityLabelX + a.width(QStringLiteral("100–999")), a.top - LegendDepth});
    backgroundAndFrame(a);
    if (!drawable(c))
        return;
    dryBulbGrid(a);
    ratioLines(a);
    saturationAndHumidity(a);
    wetBulbLines(a);
    volumeLines(a);
    enthalpyScale(a);
    a.printGapLabels();
    for (const Caption& k : fixed)
        a.print(k.text, k.x, k.yTop, colour::Black);
}

void drawAirOverlays(Surface& g, const ChartState& s, const QImage* density) {
    const clsGraph& frame = s.objMyGraph;
    g.ClipTo(frame.sngMinXValue, frame.sngMinYValue, frame.sngMaxXValue, frame.sngMaxYValue);
    if (density)
        g.PaintPicture(*density);
    PlotPoints(g, s);
    PlotCoilLine(g, s);
    PlotLegend(g, s.objMyGraph);
}

void drawAirChart(Surface& g, const ChartState& s, const QImage* density) {
    Plot_AirReference(g, s.objMyGraph, s.air);
    drawAirOverlays(g, s, density);
}

} // namespace chart
