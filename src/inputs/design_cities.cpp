#include "design_cities.h"

#include "psychro/numconv.h"
#include "psychro/properties.h"

#include <QComboBox>
#include <QRadioButton>

namespace inputs {

int cityRowByName(const QString& name) {
    const auto& rows = cityTable();
    for (int i = 0; i < CityCount; ++i)
        if (name == QLatin1String(rows[size_t(i)].listText))
            return i;
    return -1;
}

DesignCities::DesignCities(const CityControls& c, std::function<void()> drawGraphs, QObject* parent)
    : QObject(parent), m_c(c), m_drawGraphs(std::move(drawGraphs)) {
    // A selection made by code or by the user both apply the row; picking
    // the row already selected applies it again, as a list click does.
    connect(c.cmboCity, &QComboBox::currentIndexChanged, this, [this] {
        m_changedBeforeActivation = true;
        cmboCity_Click();
    });
    // A user's pick emits the index change (when it is one) right before
    // the activation; an activation alone is the same row picked again.
    connect(c.cmboCity, &QComboBox::activated, this, [this] {
        if (!m_changedBeforeActivation)
            cmboCity_Click();
        m_changedBeforeActivation = false;
    });
    connect(c.OptCoolHeat0, &QRadioButton::clicked, this, &DesignCities::OptCoolHeat_Click);
    connect(c.OptCoolHeat1, &QRadioButton::clicked, this, &DesignCities::OptCoolHeat_Click);
}

void DesignCities::Load_Cities() {
    QSignalBlocker block(m_c.cmboCity);
    for (const CityRow& row : cityTable())
        m_c.cmboCity->addItem(QString::fromLatin1(row.listText));
    m_c.cmboCity->setCurrentIndex(-1);
    block.unblock();
    m_c.cmboCity->setCurrentIndex(0);
    m_changedBeforeActivation = false;
}

void DesignCities::selectRow(int row) {
    if (m_c.cmboCity->currentIndex() == row)
        cmboCity_Click();
    else
        m_c.cmboCity->setCurrentIndex(row);
    m_changedBeforeActivation = false;
}

void DesignCities::cmboCity_Click() {
    const int i = m_c.cmboCity->currentIndex();
    if (i < 0 || i >= CityCount)
        return;
    QString s = QString::fromLatin1(cityTable()[size_t(i)].data);
    const float winterDryBulb = psychro::Parse(s);
    const float winterRh = psychro::Parse(s);
    const float summerDryBulb = psychro::Parse(s);
    if (m_c.OptCoolHeat0->isChecked()) {
        m_c.txtOutdoorTemp->setText(psychro::NumTextSingle(summerDryBulb));
        m_c.txtOutdoorRH->setText(s); // what remains is the summer RH, as text
    } else {
        m_c.txtOutdoorTemp->setText(psychro::NumTextSingle(winterDryBulb));
        m_c.txtOutdoorRH->setText(psychro::NumTextSingle(winterRh));
    }
}

void DesignCities::OptCoolHeat_Click() {
    cmboCity_Click();
    m_drawGraphs();
}

} // namespace inputs
