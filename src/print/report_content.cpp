#include "report_content.h"

#include "model/session.h"
#include "model/sheet_export.h"
#include "model/weather_export.h"
#include "psychro/coil.h"
#include "psychro/design_cities.h"

namespace print {

namespace {

using psychro::Field;
using Q = Quantity;

// The fields of one state, indexed by Quantity.
using StateFields = std::array<Field, QuantityCount>;

struct BlockSource {
    const char* header;
    QRgb outline;
    QRgb fill;
    StateFields fields;
};

// The blocks in printing order, with the colours of the states' markers on
// the chart; the MIXED dot is yellow inside a darker yellow outline.
const std::array<BlockSource, BlockCount>& blockSources() {
    static const std::array<BlockSource, BlockCount> sources{{
        {"SUPPLY",
         qRgb(0, 0, 255),
         qRgb(0, 0, 255),
         {Field::txtSupplyTemp, Field::txtSupplyRH, Field::txtSupplyDew, Field::txtSupplyWetBulb,
          Field::txtSupplyRatio, Field::txtSupplyEnthalpy, Field::txtSupplySpVol,
          Field::txtSupplyFlow, Field::txtSupplyMass}},
        {"RETURN",
         qRgb(0, 255, 0),
         qRgb(0, 255, 0),
         {Field::txtReturnTemp, Field::txtReturnRH, Field::txtReturnDew, Field::txtReturnWetBulb,
          Field::txtReturnRatio, Field::txtReturnEnthalpy, Field::txtReturnSpVol,
          Field::txtReturnFlow, Field::txtReturnMass}},
        {"OUTDOOR",
         qRgb(255, 0, 0),
         qRgb(255, 0, 0),
         {Field::txtOutdoorTemp, Field::txtOutdoorRH, Field::txtOutdoorDew,
          Field::txtOutDoorWetBulb, Field::txtOutdoorRatio, Field::txtOutdoorEnthalpy,
          Field::txtOutdoorSpVol, Field::txtOutdoorFlow, Field::txtOutdoorMass}},
        {"MIXED",
         qRgb(230, 230, 0),
         qRgb(255, 255, 0),
         {Field::txtMixedTemp, Field::txtMixedRH, Field::txtMixedDew, Field::txtMixedWetBulb,
          Field::txtMixedRatio, Field::txtMixedEnthalpy, Field::txtMixedSpVol, Field::txtMixedFlow,
          Field::txtMixedMass}},
    }};
    return sources;
}

} // namespace

ReportContent reportContent(const RowCaptions& captions, const psychro::Sheet& shown, int cityIndex,
                            const QString& cityName) {
    ReportContent report;
    for (int b = 0; b < BlockCount; ++b) {
        const BlockSource& src = blockSources()[size_t(b)];
        const auto entry = [&](Q q) {
            return captions[size_t(q)] + QStringLiteral(": ") + shown[src.fields[size_t(q)]];
        };
        ReportBlock& block = report.blocks[size_t(b)];
        block.header = QString::fromLatin1(src.header);
        block.outline = src.outline;
        block.fill = src.fill;
        const bool outdoor = src.fields[0] == Field::txtOutdoorTemp;
        if (outdoor) {
            // The outdoor temperature moves down a line to make room for
            // the design city it came from.
            block.rows[0] = {cityIndex > 0 ? std::optional(cityName) : std::nullopt,
                             entry(Q::RelHumidity)};
            block.rows[1] = {entry(Q::Temperature), entry(Q::AirFlow)};
        } else {
            block.rows[0] = {entry(Q::Temperature), entry(Q::RelHumidity)};
            block.rows[1] = {std::nullopt, entry(Q::AirFlow)};
        }
        block.rows[2] = {entry(Q::DewPoint), entry(Q::SpecificVolume)};
        block.rows[3] = {entry(Q::WetBulb), entry(Q::Enthalpy)};
        block.rows[4] = {entry(Q::HumidityRatio), entry(Q::Mass)};
    }
    report.loadLine = QStringLiteral("Cooling Load (BTU/HR): ") + shown[Field::txtLoad];
    return report;
}

ReportContent reportContent(const model::Session& s) {
    RowCaptions captions;
    const auto& rows = psychro::sheetRows(s.method(), s.units());
    // The report's quantities run in the sheet's row order.
    for (int q = 0; q < QuantityCount; ++q)
        captions[size_t(q)] = QString::fromLatin1(rows[size_t(q)].caption);
    const int row = s.cityRow();
    const QString city =
        row >= 0 ? QString::fromLatin1(psychro::cityTable()[size_t(row)].listText) : QString();
    // The page shows what the window shows: with the warning, the values
    // that could not be read off the chart are blank, and the warning says so.
    psychro::Sheet shown = s.sheet();
    for (int i = 0; i < psychro::FieldCount; ++i)
        shown.text[size_t(i)] = s.sheet().shown(Field(i));
    ReportContent report = reportContent(captions, shown, row, city);
    const psychro::ResultUnits& units = psychro::resultUnits(s.units());
    const bool si = s.units() == psychro::moist::Units::SI;
    if (si) // "Cooling Load (kW): "
        report.loadLine = QLatin1String(units.load) + QStringLiteral(": ") + shown[Field::txtLoad];
    report.loadLine += QStringLiteral("    %1: ").arg(QLatin1String(units.condensate)) +
                       shown[Field::txtCondensate];
    if (s.warning())
        report.warningLine = QStringLiteral("Values Outside Range of Program");
    report.conditionsLine =
        QStringLiteral("Fresh Air: %1 %    Operation: %2")
            .arg(s.text(Field::txtFreshMix), s.operation() == 1
                                                 ? QStringLiteral("Heating with Humidification")
                                                 : QStringLiteral("Cooling with Dehumidifcation"));
    using F = Field;
    // The page writes BTU/HR as the load line always has.
    const QString loadUnit = si ? QStringLiteral("kW") : QStringLiteral("BTU/HR");
    report.coilLine =
        QStringLiteral("%1: Sensible %2  Latent %3  Total %4 %8  SHR %5  ADP %6 %9  Bypass %7")
            .arg(psychro::coilCaption(s.operation() == 1), s.text(F::txtCoilSensible),
                 s.text(F::txtCoilLatent), s.text(F::txtCoilTotal), s.text(F::txtCoilSHR),
                 s.text(F::txtCoilADP), s.text(F::txtCoilBypass), loadUnit,
                 QLatin1String(units.degree));
    report.roomLine = QStringLiteral("Room: Sensible %1  Latent %2  Total %3 %5  SHR %4")
                          .arg(s.text(F::txtRoomSensible), s.text(F::txtRoomLatent),
                               s.text(F::txtRoomTotal), s.text(F::txtRoomSHR), loadUnit);
    report.titleLines = titleLines(s.titleBlock());
    // The equations' page says how it was computed, above everything.
    if (s.method() == psychro::Method::Ashrae)
        report.titleLines.prepend(QStringLiteral("Method: ") + model::methodDescription(s));
    if (s.weather().isOpen()) {
        WeatherPage page{QStringLiteral("Weather Year"), model::weatherYearRows(s),
                         model::weatherMonthTable(s)};
        // The first row names the file's place: it goes into the title.
        if (!page.rows.isEmpty() && page.rows.first().size() == 2) {
            page.title += QStringLiteral(": ") + page.rows.first()[1];
            page.rows.removeFirst();
        }
        report.weather = page;
    }
    return report;
}

QStringList titleLines(const model::TitleBlock& t) {
    // Notes take at most three lines on the page; more is cut with an ellipsis.
    constexpr int MaxNoteLines = 3;
    QStringList lines;
    int noteLines = 0;
    for (const QStringList& row : t.rows()) {
        const bool note = row[0].isEmpty() || row[0] == QLatin1String("Notes");
        if (note && ++noteLines > MaxNoteLines) {
            lines.back() += QChar(0x2026);
            break;
        }
        lines << (row[0].isEmpty() ? row[1] : row[0] + QStringLiteral(": ") + row[1]);
    }
    return lines;
}

} // namespace print
