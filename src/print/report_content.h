#pragma once

#include "psychro/sheet.h"

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What the printed report shows, independent of the window and the printer:
// four blocks of "caption: text" entries and the cooling-load line. The
// window fills it from the texts it shows; printReport lays it out.
namespace model {
class Session;
struct TitleBlock;
} // namespace model

namespace print {

// The nine quantities of a state, in the order of the sheet's rows.
enum class Quantity {
    Temperature,
    RelHumidity,
    DewPoint,
    WetBulb,
    HumidityRatio,
    Enthalpy,
    SpecificVolume,
    AirFlow,
    Mass,
};
constexpr int QuantityCount = 9;

// Row captions indexed by Quantity: the captions of the SUPPLY column's row
// labels (lblSupplyDryBulb, lblSupplyRH, lblSupplyDew, lblSupplyWetBulb,
// lblSupplyRatio, lblSupplyEnthalpy, lblSupplySpVOL, lblSupplyCFM,
// lblSupplyMass), used for all four blocks.
using RowCaptions = std::array<QString, QuantityCount>;

// One printed line: an optional entry in the left column, which continues
// the line, and the entry in the right column, which ends it.
struct ReportRow {
    std::optional<QString> left;
    QString right;

    bool operator==(const ReportRow&) const = default;
};

// One state's block: the header word, the colours of its legend marker
// (ring and dot outline; dot fill) and its five lines.
struct ReportBlock {
    QString header;
    QRgb outline = 0;
    QRgb fill = 0;
    std::array<ReportRow, 5> rows;
};

constexpr int BlockCount = 4;

// The weather year's page: its title ("Weather Year: " and the file's
// location), the year's results as (caption, text) rows, and the monthly
// table (a header row, then rows of a caption and twelve texts; empty when
// the design cannot run the year).
struct WeatherPage {
    QString title;
    QList<QStringList> rows;
    QList<QStringList> months;
};

struct ReportContent {
    // SUPPLY, RETURN, OUTDOOR, MIXED, in printing order.
    std::array<ReportBlock, BlockCount> blocks;
    // "Cooling Load (BTU/HR): " followed by the load field's text (and, for
    // a Session, its condensate beside it).
    QString loadLine;
    // Under the load: the fresh-air share and the operation; empty prints
    // nothing.
    QString conditionsLine;
    // Under those: the coil's and the room's load split; empty prints nothing.
    QString coilLine;
    QString roomLine;
    // "Values Outside Range of Program" when the values could not be read
    // off the chart (the blank ones); empty prints nothing.
    QString warningLine;
    // The design's title block, printed above everything else; none when
    // the design has none.
    QStringList titleLines;
    // A second page, while a weather year is open.
    std::optional<WeatherPage> weather;
};

// Builds the report from the texts as shown: `shown` holds every field's
// text exactly as displayed (empty texts print as "caption: "). cityIndex is
// the design-city list's selected index and cityName its text; the city
// stands on the OUTDOOR block's first line only when cityIndex > 0, that is
// when a city other than "Manual Entry" is selected.
ReportContent reportContent(const RowCaptions& captions, const psychro::Sheet& shown, int cityIndex,
                            const QString& cityName);
// The report of what a Session shows, with the sheet's own row captions,
// the condensate, the fresh-air share, the operation and the title block;
// what the warning hides in the window is blank here too. With a weather
// year open, its page.
ReportContent reportContent(const model::Session& s);
// The title block as printed lines: each field that is filled in as
// "Project: ...", "Air Handler: ...", "Engineer: ...", "Date: ...", then the
// notes, cut after three lines with "…".
QStringList titleLines(const model::TitleBlock& t);

} // namespace print
