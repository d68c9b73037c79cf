#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace model {

class Session;

// The state sheet as the window shows it, after the title block's filled-in
// fields and a blank row when the design has a title block: a header row (blank, OUTDOOR,
// RETURN, SUPPLY, MIXED AIR), one row per property with its caption and
// the four states' texts (hidden fields as blanks), then the load, the
// condensate and the fresh-air share, each as caption and text, and last
// the warning's words alone on a row when it is shown.
QList<QStringList> sheetAsShown(const Session& s);

// How the sheet was computed, as every output names it: "Chart tables", or
// "ASHRAE equations, IP, 12.089 psia (5,280 ft)".
QString methodDescription(const Session& s);

// Tab-separated lines, for pasting into a spreadsheet as a table. Here and
// in the CSV a text that a spreadsheet would run as a formula is written
// with a leading apostrophe, and one holding the separator, a quote or a
// line break is quoted.
QString sheetAsTsv(const Session& s);
// Comma-separated values, quoted where a text holds a comma, a quote or a
// line break.
QString sheetAsCsv(const Session& s);
// Columns padded for a terminal, each at least a blank apart.
QString sheetAsText(const Session& s);
// Every field's text under its name ("fields"), whether the warning is
// shown, and in live mode the day's "history" as kept for the chart, oldest
// first, times in UTC.
QByteArray sheetAsJson(const Session& s);

} // namespace model
