#pragma once

#include "psychro/chart_state.h"

#include <QDomNodeList>
#include <QString>

#include <array>

class QLabel;
class QLineEdit;

// The two walks over a feed document's node tree. A node belongs to element
// X when its parent node's name is exactly X; its value is then the
// element's text (in practice the element's text node). Every node is
// visited in document order, wherever it sits in the tree.
namespace feed {

// The day's observations as the outside-air history chart reads them.
// Slots are overwritten, never cleared: the chart reads up to the first
// empty time text, not up to obsIndex.
struct ObservationHistory {
    std::array<QString, 501> obsTime;        // "observation_time_rfc822" as delivered
    std::array<float, 501> obsTemperature{}; // dry bulb, F
    std::array<float, 501> obsDewPoint{};    // dew point, F
    qint16 obsIndex = 0;                     // observations kept; the next slot
};

// Where the current conditions go: the live panel's captions, the outdoor
// input fields and the working values. The fields are written with setText,
// so their change handlers run at once, in document order. A null member
// is not written.
struct CurrentTargets {
    QLabel* lblTempF = nullptr;
    QLabel* lblTempC = nullptr;
    QLabel* lblRH = nullptr;
    QLabel* lblDewF = nullptr;
    QLabel* lblDewC = nullptr;
    QLabel* lblTime = nullptr;
    QLineEdit* txtOutdoorTemp = nullptr;
    QLineEdit* txtOutdoorRH = nullptr;
    QLineEdit* txtOutdoorDew = nullptr;
    psychro::WorkingInputs* inputs = nullptr; // gTemperature, gORH, gDewPoint
};

// Walk of the current-conditions document. Captions show the element text
// as delivered; the numbers (temperature, relative humidity, dew point) are
// stored and written into the fields only when the text is a finite number.
void DisplayNode(const QDomNodeList& Nodes, const CurrentTargets& targets);

// Walk of the daily-history document: keeps at most 500 readings, drops
// readings with a temperature of 0, and stores each dew point in the slot
// obsIndex names when its element is met. The caller resets obsIndex.
void DisplayNode2(const QDomNodeList& Nodes, ObservationHistory& history);

} // namespace feed
