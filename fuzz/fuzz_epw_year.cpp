// Any weather file: it reads or says on which line it cannot, and a year
// that reads runs through an air handler, by each economizer, to totals
// that add up.
#include "check.h"
#include "climate/epw.h"
#include "climate/year_run.h"

#include <QBuffer>

#include <cmath>
#include <cstdint>

namespace {

bool near(double a, double b) {
    return std::abs(a - b) <= 1e-9 * std::max({1.0, std::abs(a), std::abs(b)});
}

void checkRun(const climate::WeatherYear& year, climate::Economizer economizer) {
    climate::AirHandler design;
    design.economizer = economizer;
    design.designCoolingDryBulb = 95;
    climate::YearResult r;
    std::vector<climate::HourRow> rows;
    QString error;
    if (!climate::runYear(year, design, &r, &error, &rows)) {
        check(!error.isEmpty());
        return;
    }
    check(size_t(r.hoursRead) == rows.size());
    check(r.hoursRead + r.hoursSkipped - year.skipped == int(year.hours.size()));
    check(r.year.hoursCooling + r.year.hoursHeating <= r.hoursRead);
    check(r.hoursEconomizer <= r.hoursRead && *r.hoursAboveDesign <= r.hoursRead);
    climate::Totals sum;
    for (const climate::Totals& m : r.months) {
        sum.coolingBtu += m.coolingBtu;
        sum.heatingBtu += m.heatingBtu;
        sum.condensateLb += m.condensateLb;
    }
    const climate::Totals& t = r.year;
    for (double v : {t.coolingBtu, t.sensibleBtu, t.latentBtu, t.heatingBtu, t.condensateLb})
        check(std::isfinite(v));
    check(t.coolingBtu >= 0 && t.heatingBtu >= 0 && t.condensateLb >= 0);
    check(near(t.sensibleBtu + t.latentBtu, t.coolingBtu) && near(sum.coolingBtu, t.coolingBtu) &&
          near(sum.heatingBtu, t.heatingBtu) && near(sum.condensateLb, t.condensateLb));
    for (const climate::HourRow& h : rows) {
        check(std::isfinite(h.mixedDryBulb) && std::isfinite(h.mixedRatio) &&
              std::isfinite(h.load) && h.condensate >= 0);
        check(h.outdoorShare >= design.freshAirShare && h.outdoorShare <= 1);
        check(!r.peakCooling || h.load <= r.peakCooling->load);
        check(!r.peakHeating || -h.load <= r.peakHeating->load);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    climate::WeatherYear year;
    QString error;
    if (!climate::readEpw(device, &year, &error)) {
        check(error.startsWith(QLatin1String("line ")));
        return 0;
    }
    // Every row may lack its dry bulb or dew point: the year then has none
    // to run, and says how many it skipped.
    check(error.isEmpty() && (!year.hours.empty() || year.skipped > 0) &&
          year.hours.size() + size_t(year.skipped) <= size_t(climate::MaxEpwHours));
    for (const climate::WeatherHour& h : year.hours)
        check(h.month >= 1 && h.month <= 12 && h.day >= 1 && h.day <= 31 && h.hour >= 1 &&
              h.hour <= 24 && std::isfinite(h.dryBulb) && std::isfinite(h.dewPoint) &&
              h.pressure > 0);
    for (auto e :
         {climate::Economizer::None, climate::Economizer::DryBulb, climate::Economizer::Enthalpy})
        checkRun(year, e);
    return 0;
}
