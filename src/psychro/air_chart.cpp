#include "air_chart.h"

#include <algorithm>
#include <cmath>

namespace psychro {

AirChart airChartFor(moist::Units units, double pressure, std::span<const double> dryBulbs,
                     std::span<const double> ratios) {
    const bool ip = units == moist::Units::IP;
    AirChart c{units, pressure, ip ? 20.0 : -5.0, ip ? 120.0 : 50.0, 0.030};
    const double step = ip ? 10 : 5, wStep = 0.005, wLimit = 0.1;
    for (double t : dryBulbs) {
        if (!std::isfinite(t))
            continue;
        t = std::clamp(t, moist::minDryBulb(units), moist::maxDryBulb(units));
        c.tMin = std::min(c.tMin, std::floor(t / step) * step);
        c.tMax = std::max(c.tMax, std::ceil(t / step) * step);
    }
    for (double W : ratios)
        if (std::isfinite(W))
            c.wMax = std::max(c.wMax, std::min(wLimit, std::ceil(W / wStep) * wStep));
    return c;
}

double xOfDryBulb(const clsGraph& g, const AirChart& c, double t) {
    return g.sngMinXValue +
           double(g.sngMaxXValue - g.sngMinXValue) * (t - c.tMin) / (c.tMax - c.tMin);
}

double yOfRatio(const clsGraph& g, const AirChart& c, double W) {
    return g.sngMinYValue + double(g.sngMaxYValue - g.sngMinYValue) * W / c.wMax;
}

double dryBulbOfX(const clsGraph& g, const AirChart& c, double x) {
    return c.tMin +
           (c.tMax - c.tMin) * (x - g.sngMinXValue) / double(g.sngMaxXValue - g.sngMinXValue);
}

double ratioOfY(const clsGraph& g, const AirChart& c, double y) {
    return c.wMax * (y - g.sngMinYValue) / double(g.sngMaxYValue - g.sngMinYValue);
}

} // namespace psychro
