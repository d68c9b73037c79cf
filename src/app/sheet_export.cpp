#include "sheet_export.h"

#include "form1.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <array>

namespace app {

namespace {

QString shown(const Form1& w, const QLineEdit* e) {
    return e->isVisibleTo(&w) ? e->text() : QString();
}

QString csvCell(const QString& s) {
    if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n'))
        return s;
    QString q = s;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

QList<QStringList> sheetAsShown(const Form1& w) {
    QList<QStringList> rows;
    rows.append({QString(), QStringLiteral("OUTDOOR"), QStringLiteral("RETURN"),
                 QStringLiteral("SUPPLY"), QStringLiteral("MIXED AIR")});
    for (const psychro::SheetRow& row : psychro::sheetRows()) {
        QStringList cells{QString::fromLatin1(row.caption)};
        for (psychro::Field f : row.fields)
            cells.append(shown(w, w.field(f)));
        rows.append(cells);
    }
    rows.append({QStringLiteral("Cooling Load (BTU/hr)"), shown(w, w.txtLoad)});
    rows.append({QStringLiteral("Condensate (GPM)"), shown(w, w.txtCondensate)});
    rows.append({QStringLiteral("% Fresh Air"), w.txtFreshMix->text()});
    // Without it, a table with empty cells would not say why they are empty.
    if (w.picWarning->isVisibleTo(&w))
        rows.append({QStringLiteral("Values Outside Range of Program")});
    return rows;
}

QString sheetAsTsv(const Form1& w) {
    QString out;
    for (const QStringList& row : sheetAsShown(w))
        out += row.join(u'\t') + u'\n';
    return out;
}

QString sheetAsCsv(const Form1& w) {
    QString out;
    for (const QStringList& row : sheetAsShown(w)) {
        QStringList cells;
        for (const QString& c : row)
            cells.append(csvCell(c));
        out += cells.join(u',') + QStringLiteral("\r\n");
    }
    return out;
}

QString sheetAsText(const Form1& w) {
    const QList<QStringList> rows = sheetAsShown(w);
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
    return out;
}

} // namespace app
