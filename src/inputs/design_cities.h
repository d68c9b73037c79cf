#pragma once

#include "input_widgets.h"

#include <QObject>

#include <array>
#include <functional>

class QComboBox;
class QRadioButton;

namespace inputs {

constexpr int CityCount = 100;

struct CityRow {
    const char* listText;
    // Four numbers separated by single blanks: winter dry bulb (F), winter
    // RH (%), summer dry bulb (F), summer RH (%).
    const char* data;
};
// Row 0 is "Manual Entry", an ordinary row with its own points.
const std::array<CityRow, CityCount>& cityTable();

// The row whose list text is name exactly, or -1.
int cityRowByName(const QString& name);

struct CityControls {
    QComboBox* cmboCity = nullptr;
    QRadioButton* OptCoolHeat0 = nullptr; // "Cooling with Dehumidifcation"
    QRadioButton* OptCoolHeat1 = nullptr; // "Heating with Humidification"
    InputField* txtOutdoorTemp = nullptr;
    InputField* txtOutdoorRH = nullptr;
};

// Design points from the city table: cooling takes the summer point,
// heating the winter one. The values go into the outdoor fields, whose own
// change handlers store them and redraw.
class DesignCities : public QObject {
    Q_OBJECT
public:
    DesignCities(const CityControls& c, std::function<void()> drawGraphs,
                 QObject* parent = nullptr);

    // Fills the list in row order and selects row 0.
    void Load_Cities();
    // Applies the selected row for the current mode.
    void cmboCity_Click();
    // Re-applies the selected row for the newly chosen mode and redraws.
    void OptCoolHeat_Click();
    // Selects a row and applies it, even when it is already selected.
    void selectRow(int row);

private:
    CityControls m_c;
    std::function<void()> m_drawGraphs;
    bool m_changedBeforeActivation = false;
};

} // namespace inputs
