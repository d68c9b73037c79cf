#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The weather year's results as every output shows them: the window's
// panel, the printed page, the sheet's text and JSON, and the hourly CSV.
namespace model {

class Session;

// (caption, text) rows: the file's location and hours, the economizer, the
// annual cooling (with its sensible and latent parts), heating and
// condensate, the hours of cooling, heating, economizer and above the
// design city's cooling dry bulb, and the peak hours; in the units shown.
// A design the year cannot run gives the location and the reason. Empty
// while no year is open.
QList<QStringList> weatherYearRows(const Session& s);

// The monthly table: a header row (blank, "Jan" .. "Dec"), then cooling,
// heating, condensate, hours of cooling and of heating, each a caption with
// its unit and twelve texts. Empty while no year is open or it cannot run.
QList<QStringList> weatherMonthTable(const Session& s);

// The "weatherYear" object of --sheet --json: every total at full
// precision, the peaks, and the twelve months (see the README).
QJsonObject weatherYearJson(const Session& s);

// One comma-separated row per hour read: month, day, hour, the outdoor dry
// bulb and dew point, the mixed dry bulb and humidity ratio, the load (Btu/h,
// cooling positive, heating negative), its sensible and latent parts and
// the condensate (lb/h); in SI C, kg/kg, W and kg/h.
QString weatherYearCsv(const Session& s);

} // namespace model
