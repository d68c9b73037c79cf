#pragma once

#include "psychro/chart_state.h"

#include <QByteArray>
#include <QString>

#include <array>

class QLabel;
class QLineEdit;

// The two walks over a feed document. The document is read as a stream and
// never held as a tree; the walks see the nodes a DOM of it would hold, in
// document order, wherever they sit. A node belongs to element X when its
// parent's name is exactly X as written (prefix and all). Its value is its
// text for a text or CDATA node (text of blanks only is no node), the text
// of a comment or the data of a processing instruction, and empty for a
// child element.
//
// A document is not loaded when it is not well-formed XML, declares
// entities (expansion bombs, external files) or nests elements deeper than
// 256; each walk then returns false with the reason in *error and changes
// nothing.
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
bool DisplayNode(const QByteArray& document, const CurrentTargets& targets,
                 QString* error = nullptr);

// Walk of the daily-history document: keeps at most 500 readings, drops
// readings with a temperature of 0, and stores each dew point in the slot
// obsIndex names when its element is met. The caller resets obsIndex.
bool DisplayNode2(const QByteArray& document, ObservationHistory& history,
                  QString* error = nullptr);

} // namespace feed
