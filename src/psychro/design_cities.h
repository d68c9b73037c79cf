#pragma once

#include <QString>

#include <array>

// The design-city table: winter and summer design points of 99 US cities
// and the "Manual Entry" row.
namespace psychro {

constexpr int CityCount = 100;

struct CityRow {
    const char* listText;
    // Four numbers separated by single blanks: winter dry bulb (F), winter
    // RH (%), summer dry bulb (F), summer RH (%).
    const char* data;
};
// Row 0 is "Manual Entry", an ordinary row with its own points.
const std::array<CityRow, CityCount>& cityTable();

// A row's design points as the program reads them: the first three numbers
// parsed, the summer RH left as the text that remains after them.
struct CityPoints {
    float winterDryBulb, winterRh, summerDryBulb; // F, %, F
    QString summerRh;
};
CityPoints cityPoints(int row);

// The row whose list text is name exactly, or -1.
int cityRowByName(const QString& name);

} // namespace psychro
