#include "sheet_export.h"

#include "form1.h"

#include <QLabel>
#include <QLineEdit>

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
    const int captionWidth = 20, columnWidth = 11;
    QString out;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        if (row.size() == 5) {
            out += row[0].leftJustified(captionWidth);
            for (int c = 1; c < 5; ++c)
                out += row[c].rightJustified(columnWidth);
        } else {
            out += row[0] + QStringLiteral(": ") + row[1];
        }
        out += u'\n';
    }
    if (w.picWarning->isVisibleTo(&w))
        out += QStringLiteral("Values Outside Range of Program\n");
    return out;
}

} // namespace app
