#pragma once

#include <QString>

// The View menu's choices, remembered in the user's configuration directory
// as a small text file of "name=value" lines.
namespace ui::viewoptions {

// view.txt in the application's configuration directory.
QString path();

// View -> Coil Line; off when never chosen or the file cannot be read.
bool coilLine();
// Stores the choice; one that cannot be written is only not remembered.
void setCoilLine(bool on);
// View -> Weather Year Hours: a loaded year's hours shaded on the chart; on
// when never chosen.
bool weatherHours();
void setWeatherHours(bool on);

} // namespace ui::viewoptions
