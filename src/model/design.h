#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include "climate/year_run.h"
#include "psychro/chart_state.h"

#include <array>
#include <optional>

// A design document: what the engineer typed or chose for one air handler,
// and its title block, as a JSON file (.qpsy). Derived values are never
// stored: opening a design recomputes them through the Session's own
// procedures, exactly as typing would.
namespace model {

class Session;

// The suffix of a design file, without its dot.
inline constexpr char DesignSuffix[] = "qpsy";

struct TitleBlock {
    QString project, airHandler, engineer, date, notes;
    bool isEmpty() const;
    // The filled-in fields as (caption, text) rows, as every output shows
    // them: "Project", "Air Handler", "Engineer", "Date", then "Notes" with
    // the first line of the notes and a row with no caption for each further
    // line.
    QList<QStringList> rows() const;
    bool operator==(const TitleBlock&) const = default;
};

// Where the ASHRAE method's air is: an altitude (ft, or m in SI) for the
// standard atmosphere's pressure there, or a barometric pressure (psia, or
// kPa), in the units shown.
struct PressureSetting {
    bool altitude = true;
    double value = 0;
    bool operator==(const PressureSetting&) const = default;
};

// Why a pressure setting cannot be used in these units ("the altitude must be
// -1000 to 30000 ft"), or empty.
QString pressureProblem(psychro::moist::Units units, const PressureSetting& setting);

struct Design {
    // The inputs as typed, by field name: txtOutdoorTemp, txtOutdoorRH,
    // txtReturnTemp, txtReturnRH, txtSupplyTemp, txtSupplyRH,
    // txtSupplyFlow, txtFreshMix (psychro::inputFields() gives the order). An
    // input the file lacks keeps what the Session shows, so a city row can
    // give the outdoor point and a hand-written file need not list all.
    std::array<std::optional<QString>, 8> inputs;
    bool locked = true;         // the fresh-air slider's lock
    int operation = 0;          // 0 cooling, 1 heating
    std::optional<int> cityRow; // 1..99; absent for manual entry (row 0)
    TitleBlock title;
    // The method, its units and pressure: the chart tables at sea level,
    // in IP, for a design that does not say.
    psychro::Method method = psychro::Method::ChartTables;
    psychro::moist::Units units = psychro::moist::Units::IP;
    PressureSetting pressure;
    // The weather year run through the design: its file's path (absolute
    // in a Session's design, relative in a file when it sits beside it),
    // empty for none; and the economizer.
    QString weatherYear;
    climate::Economizer economizer = climate::Economizer::None;
    // Keys this version does not know, kept on save; those found inside
    // "title" are kept as an object under "title".
    QJsonObject unknown;
    bool operator==(const Design&) const = default;
};

// The design a Session shows: its typed inputs, lock, operation, city row
// and the title block and unknown keys it carries.
Design designOf(const Session& s);

// The JSON text of a design ("format": "quorvel-design", "version": 1).
QByteArray designToJson(const Design& d,
                        QJsonDocument::JsonFormat format = QJsonDocument::Indented);

// The bytes of a design file: indented, or compact when only that fits the
// size a design may have to be opened again. False, with the reason, when
// not even the compact form fits: the program never writes a design it
// would refuse to open.
bool designFileBytes(const Design& d, QByteArray* bytes, QString* error);

// Reads a design from JSON text. False with a reason for the user when it is
// not a design this program can open: not JSON, not an object, not
// "quorvel-design", a version other than 1 (a higher one is named), a value
// of the wrong type (every input must be text), a city row outside 0..99.
// A missing "locked" or "operation" is the start-up state (locked, cooling);
// a "cityRow" of 0 or null is manual entry. "method" ("chart" or "ashrae"),
// "units" ("IP" or "SI") and "altitude" or "pressure" (a number in those
// units) may be missing (chart tables, IP, sea level); SI with the chart
// tables, or a pressure pressureProblem refuses, is refused. "weatherYear"
// (a path) and "economizer" ("none", "drybulb", "enthalpy") may be missing.
bool designFromJson(const QByteArray& json, Design* d, QString* error);

// The same from a file: a regular file of at most 1 MiB, else a reason
// naming the file.
bool readDesignFile(const QString& path, Design* d, QString* error);

// Applies a design to a Session through its procedures: the units, method
// and pressure, then the operation and the city (manual entry, row 0, when the design has none and
// the Session shows a city), then each input typed and left in inputFields() order, then the lock;
// the title block and unknown keys are kept on the Session. Values the program would correct when
// typed (an RH of 250) are corrected exactly as if typed. A Session in live mode is switched to
// manual entry first. The weather year is opened (or closed when the design has none); one that
// cannot be read is said in the Session's message and the design opens without it.
void applyDesign(Session& s, const Design& d);

} // namespace model
