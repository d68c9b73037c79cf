#include "input_handlers.h"

#include "psychro/numconv.h"

#include <cmath>

namespace inputs {

using psychro::LeadingNumber;
using psychro::ToSingle;

namespace {
float valueOf(const InputField* f) {
    return ToSingle(LeadingNumber(f->text()));
}
} // namespace

InputHandlers::InputHandlers(const InputControls& c, psychro::WorkingInputs& in,
                             std::function<void()> drawGraphs, std::function<void()> placeKnob,
                             QObject* parent)
    : QObject(parent), m_c(c), m_in(in), m_drawGraphs(std::move(drawGraphs)),
      m_placeKnob(std::move(placeKnob)) {
    connect(c.txtOutdoorTemp, &QLineEdit::textChanged, this, &InputHandlers::txtOutdoorTemp_Change);
    connect(c.txtOutdoorRH, &QLineEdit::textChanged, this, &InputHandlers::txtOutdoorRH_Change);
    connect(c.txtOutdoorRH, &InputField::focusLost, this, &InputHandlers::txtOutdoorRH_LostFocus);
    connect(c.txtReturnTemp, &QLineEdit::textChanged, this, &InputHandlers::txtReturnTemp_Change);
    connect(c.txtReturnRH, &QLineEdit::textChanged, this, &InputHandlers::txtReturnRH_Change);
    connect(c.txtReturnRH, &InputField::focusLost, this, &InputHandlers::txtReturnRH_LostFocus);
    connect(c.txtSupplyTemp, &QLineEdit::textChanged, this, &InputHandlers::txtSupplyTemp_Change);
    connect(c.txtSupplyRH, &QLineEdit::textChanged, this, &InputHandlers::txtSupplyRH_Change);
    connect(c.txtSupplyRH, &InputField::focusLost, this, &InputHandlers::txtSupplyRH_LostFocus);
    connect(c.txtSupplyFlow, &InputField::focusLost, this, &InputHandlers::txtSupplyFlow_LostFocus);
    connect(c.txtFreshMix, &QLineEdit::textChanged, this, &InputHandlers::txtFreshMix_Change);
    connect(c.txtFreshMix, &InputField::focusLost, this, &InputHandlers::txtFreshMix_LostFocus);
}

void InputHandlers::clampRh(InputField* field, double value) {
    if (value > 100)
        field->setText(QStringLiteral("100"));
    else if (value < 1)
        field->setText(QStringLiteral("1"));
}

void InputHandlers::txtOutdoorTemp_Change() {
    m_in.gTemperature = valueOf(m_c.txtOutdoorTemp);
    m_drawGraphs();
}

// The outdoor humidity never reaches the chart as 100: 100 is placed as 99
// while the field goes on showing 100.
void InputHandlers::txtOutdoorRH_Change() {
    m_in.gORH = valueOf(m_c.txtOutdoorRH);
    if (m_in.gORH == 100)
        m_in.gORH = 99;
    if (m_in.gORH > 1 && m_in.gORH < 100)
        m_drawGraphs();
}

void InputHandlers::txtOutdoorRH_LostFocus() {
    const double value = LeadingNumber(m_c.txtOutdoorRH->text());
    m_in.gORH = ToSingle(value);
    clampRh(m_c.txtOutdoorRH, value);
    if (m_in.gORH == 100)
        m_in.gORH = 99;
    m_drawGraphs();
}

void InputHandlers::txtReturnTemp_Change() {
    m_drawGraphs();
}

void InputHandlers::txtReturnRH_Change() {
    m_in.gRRH = valueOf(m_c.txtReturnRH);
    if (m_in.gRRH > 0 && m_in.gRRH <= 100)
        m_drawGraphs();
}

void InputHandlers::txtReturnRH_LostFocus() {
    const double value = LeadingNumber(m_c.txtReturnRH->text());
    m_in.gRRH = ToSingle(value);
    clampRh(m_c.txtReturnRH, value);
    m_drawGraphs();
}

void InputHandlers::txtSupplyTemp_Change() {
    m_drawGraphs();
}

void InputHandlers::txtSupplyRH_Change() {
    m_in.gSRH = valueOf(m_c.txtSupplyRH);
    if (m_in.gSRH > 0 && m_in.gSRH <= 100)
        m_drawGraphs();
}

void InputHandlers::txtSupplyRH_LostFocus() {
    const double value = LeadingNumber(m_c.txtSupplyRH->text());
    m_in.gSRH = ToSingle(value);
    clampRh(m_c.txtSupplyRH, value);
    m_drawGraphs();
}

// Typing a flow redraws nothing until the field is left.
void InputHandlers::txtSupplyFlow_LostFocus() {
    // "6,000" is how a flow is written in the US, but the sheet reads the
    // leading number (6) for the flows and the whole text (6000) for the
    // load. A text the locale accepts whole is rewritten in plain digits,
    // so that every step reads the same number.
    const QString text = m_c.txtSupplyFlow->text();
    bool whole = false;
    const double value = psychro::StrictNumber(text, &whole);
    if (whole && std::isfinite(value) && value != LeadingNumber(text))
        m_c.txtSupplyFlow->setText(psychro::NumText(value));
    m_drawGraphs();
}

void InputHandlers::txtFreshMix_Change() {
    const double value = LeadingNumber(m_c.txtFreshMix->text());
    if (value > 0 && value <= 100) {
        m_in.gAirRate = ToSingle(value / 100);
        m_placeKnob();
        m_drawGraphs();
    }
}

void InputHandlers::txtFreshMix_LostFocus() {
    const double value = LeadingNumber(m_c.txtFreshMix->text());
    if (value < 0)
        m_c.txtFreshMix->setText(QStringLiteral("0"));
    if (value > 100)
        m_c.txtFreshMix->setText(QStringLiteral("100"));
    m_in.gAirRate = ToSingle(LeadingNumber(m_c.txtFreshMix->text()) / 100);
    m_placeKnob();
    m_drawGraphs();
}

} // namespace inputs
