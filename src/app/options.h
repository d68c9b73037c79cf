#pragma once

#include "model/design.h"
#include "psychro/sheet.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The command line's options, described once in a table that drives the
// parser, the refusal of a following option, the checks and --help.
namespace app {

// Everything a run asks for, checked.
struct Request {
    bool headless = false; // no window is shown
    bool widgets = false;  // the window is built: shown, or grabbed for --screenshot
    bool drawing = false;  // something is drawn, so fonts are needed
    QString settingsPath;  // empty: the settings file beside the program
    QString designPath;
    QDateTime now; // --at; invalid for the clock's
    std::optional<QString> station, weatherApi;
    bool heating = false;
    bool live = false;
    int cityRow = -1;
    // The method, units and altitude or pressure, when given; an altitude
    // or pressure alone asks for the ASHRAE equations.
    std::optional<psychro::Method> method;
    std::optional<psychro::moist::Units> units;
    std::optional<model::PressureSetting> pressure;
    // The flow was given in CFM (--cfm), whatever the units: converted in SI.
    bool flowInCfm = false;
    QString weatherYear; // an EPW file, opened after the design
    std::optional<climate::Economizer> economizer;
    // Field texts in the order a user types them, each field then left.
    QList<std::pair<psychro::Field, QString>> typed;
    bool sheet = false;
    bool json = false;
    QString screenshot, printPdf, exportChart, chartFormat, csv, saveDesign, weatherYearCsv;
};

enum class Parsed { Run, Help, Version, Usage };

// Parses and checks the arguments (args[0] is the program). For Help and
// Version *text is what to print; for Usage the complaint.
Parsed parseArguments(const QStringList& args, Request* request, QString* text);

} // namespace app
