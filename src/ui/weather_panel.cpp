#include "ui/weather_panel.h"

#include "model/session.h"
#include "model/weather_export.h"
#include "ui/input_widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace ui {

namespace {

// The economizer choices in the combo's order.
constexpr climate::Economizer Modes[] = {climate::Economizer::None, climate::Economizer::DryBulb,
                                         climate::Economizer::Enthalpy};

// A result that may be squeezed ends in "…" rather than being cut.
QLabel* cell(const QString& text, Qt::Alignment align = Qt::AlignLeft, bool caption = false,
             bool squeeze = false) {
    QLabel* l = squeeze ? new ElidedLabel(text) : new QLabel(text);
    l->setTextFormat(Qt::PlainText); // the file's location is the file's text
    l->setAlignment(align | Qt::AlignVCenter);
    if (caption) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

// Between the monthly table's columns, pixels; its smallest type, points.
constexpr int Spacing = 6;
constexpr double MinPoints = 5.5;

} // namespace

WeatherPanel::WeatherPanel(model::Session& session, QWidget* parent)
    : QFrame(parent), m_session(session) {
    setObjectName(QStringLiteral("frmWeatherYear"));
    setFrameShape(QFrame::StyledPanel);
    m_location = new ElidedLabel;
    m_location->setObjectName(QStringLiteral("lblWeatherYear"));
    m_location->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_economizer = new QComboBox;
    m_economizer->setObjectName(QStringLiteral("cmboEconomizer"));
    m_economizer->addItems(
        {tr("No economizer"), tr("Dry-bulb economizer"), tr("Enthalpy economizer")});
    m_economizer->setToolTip(tr("Opens the outdoor air beyond the minimum share while the outdoor "
                                "dry bulb (or enthalpy) is below the return's"));
    auto* head = new QHBoxLayout;
    auto* title = cell(tr("Weather Year"), Qt::AlignLeft, true);
    head->addWidget(title);
    head->addWidget(m_location, 1);
    head->addWidget(m_economizer);
    m_results = new QGridLayout;
    m_results->setVerticalSpacing(1);
    m_results->setHorizontalSpacing(8);
    m_months = new QGridLayout;
    m_months->setVerticalSpacing(1);
    m_months->setHorizontalSpacing(Spacing);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 4, 6, 4);
    v->setSpacing(4);
    v->addLayout(head);
    v->addLayout(m_results);
    v->addLayout(m_months);

    connect(m_economizer, &QComboBox::activated, this,
            [this](int i) { m_session.weather().setEconomizer(Modes[i]); });
    connect(&session.weather(), &model::WeatherStudy::changed, this, &WeatherPanel::showStudy);
    // The results follow the units shown.
    connect(&session, &model::Session::methodChanged, this, &WeatherPanel::showStudy);
    showStudy();
}

void WeatherPanel::showStudy() {
    const model::WeatherStudy& w = m_session.weather();
    setVisible(w.isOpen());
    if (!w.isOpen())
        return;
    setUpdatesEnabled(false);
    QList<QStringList> rows = model::weatherYearRows(m_session);
    const QString location = rows.takeFirst().value(1);
    m_location->setText(location);
    m_location->setToolTip(location + u'\n' + w.path());
    for (int i = 0; i < 3; ++i)
        if (Modes[i] == w.economizer())
            m_economizer->setCurrentIndex(i);
    // The economizer is the combo's; the rest two pairs to a row.
    rows.removeIf([](const QStringList& r) { return r.value(0) == QLatin1String("Economizer"); });
    // Short results two to a row, then each long one (the peaks) on a row
    // of its own, so that none is cut at a laptop's width.
    constexpr qsizetype Long = 36;
    std::stable_partition(rows.begin(), rows.end(),
                          [](const QStringList& r) { return r.value(1).size() <= Long; });
    QList<Cell> results;
    int row = 0, column = 0;
    for (const QStringList& r : rows) {
        const bool wide = r.value(1).size() > Long;
        if (wide && column > 0)
            ++row, column = 0;
        results.append({r.value(0), row, column, Qt::AlignLeft, true});
        results.append({r.value(1), row, column + 1, Qt::AlignLeft, false, true, wide ? 3 : 1});
        column = wide || column > 0 ? 0 : 2;
        row += column == 0 ? 1 : 0;
    }
    fill(m_results, m_resultLabels, results);
    m_results->setColumnStretch(3, 1); // the rest of the width, after the texts
    QList<Cell> months;
    const QList<QStringList> table = model::weatherMonthTable(m_session);
    for (qsizetype r = 0; r < table.size(); ++r)
        for (qsizetype c = 0; c < table[r].size(); ++c)
            months.append({table[r][c], int(r), int(c), c == 0 ? Qt::AlignLeft : Qt::AlignRight,
                           r == 0 || c == 0});
    fill(m_months, m_monthLabels, months);
    fitMonths();
    setUpdatesEnabled(true);
}

void WeatherPanel::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    fitMonths();
}

void WeatherPanel::fitMonths() {
    if (m_monthLabels.isEmpty())
        return;
    // Each column as wide as its widest text at the panel's own size; the
    // labels' fonts are set to it first.
    auto setPoints = [this](double points) {
        for (int i = 0; i < m_months->count(); ++i) {
            int row = 0, column = 0, rows = 0, columns = 0;
            m_months->getItemPosition(i, &row, &column, &rows, &columns);
            QFont f = font();
            f.setBold(row == 0 || column == 0);
            f.setPointSizeF(points);
            QWidget* label = m_months->itemAt(i)->widget();
            if (label->font() != f)
                label->setFont(f);
        }
    };
    const double full = font().pointSizeF();
    setPoints(full);
    QList<int> widths(m_months->columnCount(), 0);
    for (int i = 0; i < m_months->count(); ++i) {
        int row = 0, column = 0, rows = 0, columns = 0;
        m_months->getItemPosition(i, &row, &column, &rows, &columns);
        widths[column] = std::max(widths[column], m_months->itemAt(i)->sizeHint().width());
    }
    double natural = 0;
    for (int w : widths)
        natural += w + Spacing;
    const QMargins m = layout()->contentsMargins();
    const double room = width() - m.left() - m.right() - frameWidth() * 2;
    const double scale = std::min(1.0, room / natural);
    m_months->setHorizontalSpacing(int(Spacing * scale));
    if (scale < 1)
        setPoints(std::max(MinPoints, full * scale));
}

void WeatherPanel::fill(QGridLayout* grid, QList<QLabel*>& labels, const QList<Cell>& cells) {
    // A keystroke changes the numbers, seldom the rows: the labels stay.
    if (labels.size() != cells.size()) {
        qDeleteAll(labels);
        labels.clear();
        for (const Cell& c : cells) {
            QLabel* l = cell(c.text, c.align, c.caption, c.squeeze);
            if (c.squeeze) { // as wide as its text where the column lets it be
                l->setMinimumWidth(1);
                l->setToolTip(c.text);
            }
            grid->addWidget(l, c.row, c.column, 1, c.span);
            labels.append(l);
        }
    }
    for (qsizetype i = 0; i < cells.size(); ++i)
        if (labels[i]->text() != cells[i].text) {
            labels[i]->setText(cells[i].text);
            if (cells[i].squeeze)
                labels[i]->setToolTip(cells[i].text);
        }
}

} // namespace ui
