#include "model/sheet_export.h"

#include "model/session.h"
#include "model/weather_export.h"

#include "psychro/coil.h"
#include "psychro/numconv.h"
#include "psychro/sheet.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace model {

namespace {

QString shown(const Session& s, psychro::Field f) {
    return s.sheet().shown(f);
}

// The coil and room fields with their captions, in the window's order.
QList<std::pair<QString, psychro::Field>> coilRows(psychro::moist::Units units) {
    using F = psychro::Field;
    const psychro::ResultUnits& u = psychro::resultUnits(units);
    const QString load = QStringLiteral(" (%1)").arg(QLatin1String(u.loadUnit));
    return {{QStringLiteral("Coil Sensible") + load, F::txtCoilSensible},
            {QStringLiteral("Coil Latent") + load, F::txtCoilLatent},
            {QStringLiteral("Coil Total") + load, F::txtCoilTotal},
            {QStringLiteral("Coil SHR"), F::txtCoilSHR},
            {QLatin1String(u.adp), F::txtCoilADP},
            {QStringLiteral("Coil Bypass Factor"), F::txtCoilBypass},
            {QStringLiteral("Room Sensible") + load, F::txtRoomSensible},
            {QStringLiteral("Room Latent") + load, F::txtRoomLatent},
            {QStringLiteral("Room Total") + load, F::txtRoomTotal},
            {QStringLiteral("Room SHR"), F::txtRoomSHR}};
}

// A spreadsheet runs a cell that starts with one of these as a formula
// (=HYPERLINK(...) from a title block); such a text is written with a
// leading apostrophe, which spreadsheets take as "text". Numbers ("-10",
// "-1,234") stay numbers.
QString spreadsheetText(const QString& s) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (s.isEmpty() || !formulaStarts.contains(s.front()))
        return s;
    bool number = false;
    psychro::StrictNumber(s, &number);
    return number ? s : u'\'' + s;
}

// Quoted, its quotes doubled, where a spreadsheet would otherwise end the
// cell or the row early: at the separator or a line break (a carriage
// return alone ends a row as a line feed does). A cell opening with a
// quote is read as quoted, so a quote anywhere quotes the cell.
QString spreadsheetCell(const QString& text, QChar separator) {
    const QString s = spreadsheetText(text);
    if (!s.contains(separator) && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r'))
        return s;
    QString q = s;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

QString methodDescription(const Session& s) {
    if (s.method() == psychro::Method::ChartTables)
        return QStringLiteral("Chart tables");
    const bool si = s.units() == psychro::moist::Units::SI;
    const PressureSetting& setting = s.pressureSetting();
    QString where;
    if (s.pressureFromStation())
        where = QStringLiteral(" (the station's)");
    else if (setting.altitude)
        where = QStringLiteral(" (%1 %2)")
                    .arg(psychro::FormatNumber(setting.value, QStringLiteral("#,##0")),
                         si ? QStringLiteral("m") : QStringLiteral("ft"));
    return QStringLiteral("ASHRAE equations, %1, %2 %3%4")
        .arg(si ? QStringLiteral("SI") : QStringLiteral("IP"),
             psychro::FormatNumber(s.pressure(), QStringLiteral("0.000")),
             si ? QStringLiteral("kPa") : QStringLiteral("psia"), where);
}

QList<QStringList> sheetAsShown(const Session& s) {
    QList<QStringList> rows;
    // Which project and air handler the numbers are for, when the design
    // says; a blank row sets them apart from the sheet.
    if (!s.titleBlock().isEmpty()) {
        rows = s.titleBlock().rows();
        rows.append({QString()});
    }
    // The equations' sheet says how it was computed.
    if (s.method() == psychro::Method::Ashrae) {
        rows.append({QStringLiteral("Method"), methodDescription(s)});
        rows.append({QString()});
    }
    rows.append({QString(), QStringLiteral("OUTDOOR"), QStringLiteral("RETURN"),
                 QStringLiteral("SUPPLY"), QStringLiteral("MIXED AIR")});
    for (const psychro::SheetRow& row : psychro::sheetRows(s.method(), s.units())) {
        QStringList cells{QString::fromLatin1(row.caption)};
        for (psychro::Field f : row.fields)
            cells.append(shown(s, f));
        rows.append(cells);
    }
    const psychro::ResultUnits& units = psychro::resultUnits(s.units());
    rows.append({QLatin1String(units.load), shown(s, psychro::Field::txtLoad)});
    rows.append({QLatin1String(units.condensate), shown(s, psychro::Field::txtCondensate)});
    rows.append({QStringLiteral("% Fresh Air"), s.text(psychro::Field::txtFreshMix)});
    rows.append({psychro::coilCaption(s.operation() == 1)});
    for (const auto& [caption, f] : coilRows(s.units()))
        rows.append({caption, s.text(f)});
    // Without it, a table with empty cells would not say why they are empty.
    if (s.warning())
        rows.append({QStringLiteral("Values Outside Range of Program")});
    return rows;
}

QString sheetAsTsv(const Session& s) {
    QString out;
    for (const QStringList& row : sheetAsShown(s)) {
        QStringList cells;
        for (const QString& c : row)
            cells.append(spreadsheetCell(c, u'\t'));
        out += cells.join(u'\t') + u'\n';
    }
    return out;
}

QString sheetAsCsv(const Session& s) {
    QString out;
    for (const QStringList& row : sheetAsShown(s)) {
        QStringList cells;
        for (const QString& c : row)
            cells.append(spreadsheetCell(c, u','));
        out += cells.join(u',') + QStringLiteral("\r\n");
    }
    return out;
}

namespace {

// The day's history as kept in its slots, oldest first, times in UTC.
QJsonArray historyAsJson(const ObservationHistory& h) {
    QJsonArray out;
    // A float's shortest text, as the document gave it.
    auto number = [](float x) { return QString::number(x).toDouble(); };
    for (qint16 i = 0; i < h.obsIndex; ++i) {
        const QString& text = h.obsTime[size_t(i)];
        QDateTime t = QDateTime::fromString(text, Qt::ISODate);
        if (!t.isValid())
            t = QDateTime::fromString(text, Qt::RFC2822Date);
        out.append(QJsonObject{
            {QStringLiteral("time"), t.isValid() ? t.toUTC().toString(Qt::ISODate) : text},
            {QStringLiteral("temperature"), number(h.obsTemperature[size_t(i)])},
            {QStringLiteral("dewpoint"), number(h.obsDewPoint[size_t(i)])}});
    }
    return out;
}

} // namespace

QByteArray sheetAsJson(const Session& s) {
    QJsonObject fields;
    for (int i = 0; i < psychro::FieldCount; ++i)
        fields.insert(QLatin1String(psychro::fieldName(psychro::Field(i))),
                      s.text(psychro::Field(i)));
    QJsonObject root;
    root.insert(QStringLiteral("fields"), fields);
    root.insert(QStringLiteral("warning"), s.warning());
    if (s.method() == psychro::Method::Ashrae) {
        // The numbers behind the texts, at full precision in base units.
        const bool si = s.units() == psychro::moist::Units::SI;
        root.insert(QStringLiteral("method"), QStringLiteral("ashrae"));
        root.insert(QStringLiteral("units"), si ? QStringLiteral("SI") : QStringLiteral("IP"));
        root.insert(QStringLiteral("pressure"), s.pressure());
        QJsonObject values;
        for (int i = 0; i < psychro::FieldCount; ++i)
            if (const double v = s.sheet().value[size_t(i)]; std::isfinite(v))
                values.insert(QLatin1String(psychro::fieldName(psychro::Field(i))), v);
        root.insert(QStringLiteral("values"), values);
    }
    if (s.liveFeed())
        root.insert(QStringLiteral("history"), historyAsJson(s.history()));
    if (s.weather().isOpen())
        root.insert(QStringLiteral("weatherYear"), weatherYearJson(s));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString sheetAsText(const Session& s) {
    const QList<QStringList> rows = sheetAsShown(s);
    // Each column as wide as its widest value and at least a blank apart,
    // so that no value runs into the next whatever its length.
    constexpr qsizetype MinCaptionWidth = 20, MinColumnWidth = 11;
    std::array<qsizetype, 5> width{};
    for (const QStringList& row : rows)
        if (row.size() == 5)
            for (qsizetype c = 0; c < 5; ++c)
                width[size_t(c)] = std::max(width[size_t(c)], row[c].size());
    QString out;
    for (const QStringList& row : rows) {
        if (row.size() == 5) {
            out += row[0].leftJustified(std::max(MinCaptionWidth, width[0] + 1));
            for (qsizetype c = 1; c < 5; ++c)
                out += row[c].rightJustified(std::max(MinColumnWidth, width[size_t(c)] + 1));
        } else if (row.size() == 2) {
            out += row[0] + QStringLiteral(": ") + row[1];
        } else {
            out += row[0];
        }
        out += u'\n';
    }
    // The weather year's results after the sheet, the months as columns.
    const QList<QStringList> year = weatherYearRows(s);
    if (!year.isEmpty())
        out += u'\n';
    for (const QStringList& row : year)
        out += row[0] + QStringLiteral(": ") + row[1] + u'\n';
    const QList<QStringList> months = weatherMonthTable(s);
    qsizetype captionWidth = 0, columnWidth = 0;
    for (const QStringList& row : months) {
        captionWidth = std::max(captionWidth, row[0].size() + 1);
        for (qsizetype c = 1; c < row.size(); ++c)
            columnWidth = std::max(columnWidth, row[c].size() + 1);
    }
    for (const QStringList& row : months) {
        out += row[0].leftJustified(captionWidth);
        for (qsizetype c = 1; c < row.size(); ++c)
            out += row[c].rightJustified(columnWidth);
        out += u'\n';
    }
    return out;
}

} // namespace model
