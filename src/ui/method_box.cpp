#include "ui/method_box.h"

#include "ui/named.h"

#include "model/session.h"
#include "psychro/numconv.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

using psychro::moist::Units;

constexpr int RowSpacing = 6; // between a row's controls and between the rows

QWidget* row(std::initializer_list<QWidget*> widgets) {
    auto* w = new QWidget;
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(RowSpacing);
    for (QWidget* c : widgets)
        h->addWidget(c);
    return w;
}

// An altitude or pressure as typed back: no thousands separators, at most
// three decimals, no trailing zeros.
QString valueText(double v) {
    return psychro::FormatNumber(v, QStringLiteral("0.###"));
}

} // namespace

MethodBox::MethodBox(model::Session& session, QWidget* parent)
    : QWidget(parent), m_session(session) {
    setObjectName(QStringLiteral("frmMethod"));
    m_method = named(new QComboBox, "cmboMethod");
    m_method->addItems({QStringLiteral("Chart tables"), QStringLiteral("ASHRAE equations")});
    m_method->setToolTip(tr("Chart tables: the chart's own tables, at sea level, in IP.\n"
                            "ASHRAE equations: the Handbook's, at any altitude, in IP or SI."));
    m_units = named(new QComboBox, "cmboUnits");
    m_units->addItems({QStringLiteral("IP"), QStringLiteral("SI")});
    m_units->setToolTip(tr("IP: F, CFM, BTU/hr.  SI: C, L/s, kW (with the ASHRAE equations)"));
    m_kind = named(new QComboBox, "cmboPressureKind");
    m_kind->addItems({QStringLiteral("Altitude"), QStringLiteral("Barometric pressure")});
    m_value = named(new QLineEdit, "txtPressure");
    m_value->setAlignment(Qt::AlignRight);
    m_value->setMaximumWidth(80);
    m_unit = named(new QLabel, "lblPressureUnit");
    m_note = named(new QLabel, "lblPressureNote");
    m_note->setTextFormat(Qt::PlainText);
    // The note takes what room is left: a long reason never widens the bar.
    m_note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* caption = new QLabel(QStringLiteral("Method"));
    caption->setBuddy(m_method);
    m_first = row({caption, m_method, m_units});
    m_second = row({m_kind, m_value, m_unit, m_note});
    static_cast<QBoxLayout*>(m_second->layout())->setStretchFactor(m_note, 1);
    m_rows = new QBoxLayout(QBoxLayout::LeftToRight, this);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(RowSpacing);
    m_rows->addWidget(m_first, 0, Qt::AlignLeft);
    m_rows->addWidget(m_second, 1);

    connect(m_method, &QComboBox::activated, this, [this](int i) {
        m_session.chooseMethod(i == 1 ? psychro::Method::Ashrae : psychro::Method::ChartTables);
    });
    connect(m_units, &QComboBox::activated, this,
            [this](int i) { m_session.chooseUnits(i == 1 ? Units::SI : Units::IP); });
    // Another kind starts from the pressure in effect, so the air stays put.
    connect(m_kind, &QComboBox::activated, this, [this](int i) {
        const bool altitude = i == 0;
        if (altitude == m_session.pressureSetting().altitude)
            return;
        const double value =
            altitude ? psychro::moist::altitudeOf(m_session.units(), m_session.pressure())
                     : m_session.pressure();
        m_session.setPressure({altitude, std::round(value * 1000) / 1000});
    });
    connect(m_value, &QLineEdit::editingFinished, this, &MethodBox::applyPressure);
    connect(&session, &model::Session::methodChanged, this, &MethodBox::showSession);
    showSession();
}

int MethodBox::oneRowWidth() const {
    // The note's room is not counted: it shows what fits.
    return m_first->sizeHint().width() + 2 * RowSpacing + m_second->sizeHint().width() + 100;
}

int MethodBox::heightFor(int width) const {
    const int h1 = m_first->sizeHint().height(), h2 = m_second->sizeHint().height();
    return width >= oneRowWidth() ? std::max(h1, h2) : h1 + RowSpacing + h2;
}

QSize MethodBox::minimumSizeHint() const {
    const int w = std::max(m_first->sizeHint().width(), m_second->sizeHint().width());
    return QSize(w, heightFor(w));
}

void MethodBox::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    const auto direction =
        width() >= oneRowWidth() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (m_rows->direction() != direction)
        m_rows->setDirection(direction);
}

void MethodBox::applyPressure() {
    QString text = m_value->text().trimmed();
    text.remove(u',');
    bool ok = false;
    const double v = text.toDouble(&ok);
    const bool altitude = m_session.pressureSetting().altitude;
    const QString why =
        ok ? m_session.setPressure({altitude, v})
           : tr("the %1 is not a number").arg(altitude ? tr("altitude") : tr("pressure"));
    m_value->setModified(false); // the setting in effect is shown again
    showSession();
    if (!why.isEmpty()) // the setting in effect is shown again, and why
        m_note->setText(why);
    m_note->setToolTip(m_note->text()); // the whole of it, when cut short
}

void MethodBox::showSession() {
    const model::Session& s = m_session;
    const bool ashrae = s.method() == psychro::Method::Ashrae;
    const bool si = s.units() == Units::SI;
    const model::PressureSetting& p = s.pressureSetting();
    const QSignalBlocker b1(m_method), b2(m_units), b3(m_kind);
    m_method->setCurrentIndex(ashrae ? 1 : 0);
    m_units->setCurrentIndex(si ? 1 : 0);
    m_kind->setCurrentIndex(p.altitude ? 0 : 1);
    if (!m_value->isModified()) // not under the user's typing
        m_value->setText(valueText(p.value));
    m_unit->setText(p.altitude ? (si ? QStringLiteral("m") : QStringLiteral("ft"))
                               : (si ? QStringLiteral("kPa") : QStringLiteral("psia")));
    // The chart tables are drawn for sea level.
    const bool fromStation = ashrae && s.pressureFromStation();
    for (QWidget* w : {static_cast<QWidget*>(m_kind), static_cast<QWidget*>(m_value),
                       static_cast<QWidget*>(m_unit)})
        w->setEnabled(ashrae && !fromStation);
    const QString pressure = psychro::FormatNumber(s.pressure(), QStringLiteral("0.000")) +
                             (si ? QStringLiteral(" kPa") : QStringLiteral(" psia"));
    m_note->setText(!ashrae       ? tr("sea level")
                    : fromStation ? tr("the station's %1").arg(pressure)
                    : p.altitude  ? QStringLiteral("= ") + pressure
                                  : QString());
}

} // namespace ui
