#include "options.h"

#include "version.h"

#include "chart/chart_export.h"
#include "fileio/safe_write.h"
#include "model/design.h"
#include "model/feed_types.h"
#include "model/weather_study.h"
#include "psychro/design_cities.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace app {

namespace {

using psychro::Field;

// What follows an option. An output file may be "-" (standard output); no
// other value may start with "--", and no file name with "-", unless it is
// written --option=value.
enum class Kind { Flag, OutputFile, InputFile, Text };

struct OptionDef {
    const char* name;
    Kind kind;
    const char* valueName;
    const char* help;
    bool headless;         // asks for a run without the window
    const char* needs;     // an option it goes with, or nullptr
    const char* conflicts; // an option it cannot go with, or nullptr
};

constexpr OptionDef Options[] = {
    {"screenshot", Kind::OutputFile, "FILE", "Render the window to a PNG file and exit.", true,
     nullptr, nullptr},
    {"sheet", Kind::Flag, "", "Print the state sheet and exit.", true, nullptr, nullptr},
    {"json", Kind::Flag, "", "With --sheet: print the sheet as JSON.", false, "sheet", nullptr},
    {"outdoor", Kind::Text, "T,RH", "Outdoor dry bulb (F, or C in SI) and RH (%).", false, nullptr,
     nullptr},
    {"return", Kind::Text, "T,RH", "Return dry bulb (F, or C in SI) and RH (%).", false, nullptr,
     nullptr},
    {"supply", Kind::Text, "T,RH", "Supply dry bulb (F, or C in SI) and RH (%).", false, nullptr,
     nullptr},
    {"cfm", Kind::Text, "N", "Supply air flow (CFM, in either units).", false, nullptr, "flow"},
    {"flow", Kind::Text, "N", "Supply air flow in the units' flow unit (CFM, or L/s in SI).", false,
     nullptr, nullptr},
    {"method", Kind::Text, "chart|ashrae",
     "Compute by the chart tables (IP, sea level) or the ASHRAE Handbook equations.", false,
     nullptr, nullptr},
    {"units", Kind::Text, "ip|si", "IP or SI units (SI computes by the ASHRAE equations).", false,
     nullptr, nullptr},
    {"altitude", Kind::Text, "N",
     "Altitude (ft, or m in SI) for the ASHRAE equations' standard-atmosphere pressure.", false,
     nullptr, "pressure"},
    {"pressure", Kind::Text, "P",
     "Barometric pressure (psia, or kPa in SI) for the ASHRAE "
     "equations.",
     false, nullptr, nullptr},
    {"fresh", Kind::Text, "P", "Fresh-air share (%).", false, nullptr, nullptr},
    {"city", Kind::Text, "NAME|ROW", "Design city: its list text exactly, or a row 0 to 99.", false,
     nullptr, nullptr},
    {"heating", Kind::Flag, "", "Heating with humidification (winter design points).", false,
     nullptr, nullptr},
    {"live", Kind::Flag, "", "Switch to the live weather feed before computing.", false, nullptr,
     nullptr},
    {"settings", Kind::InputFile, "FILE",
     "Read and write this feed settings file instead of the one beside the program.", false,
     nullptr, nullptr},
    {"print-pdf", Kind::OutputFile, "FILE", "Write the printed report to a PDF file and exit.",
     true, nullptr, nullptr},
    {"export-chart", Kind::OutputFile, "FILE",
     "Write the chart to FILE (.png, .svg or .pdf; '-' for standard output with "
     "--chart-format) and exit.",
     true, nullptr, nullptr},
    {"chart-format", Kind::Text, "png|svg|pdf",
     "The chart's format, whatever the name of the file (needed for '-').", false, "export-chart",
     nullptr},
    {"csv", Kind::OutputFile, "FILE", "Write the sheet to FILE as comma-separated values and exit.",
     true, nullptr, nullptr},
    {"design", Kind::InputFile, "FILE",
     "Open a design file (.qpsy) before the other inputs are applied.", false, nullptr, nullptr},
    {"save-design", Kind::OutputFile, "FILE",
     "Write the design (inputs, choices, title block) to FILE and exit.", true, nullptr, nullptr},
    {"station", Kind::Text, "ID",
     "Take the live feed from this weather-service station (3 to 5 letters and digits) for this "
     "run.",
     false, nullptr, nullptr},
    {"weather-api", Kind::Text, "URL", "The weather service's base address for this run.", false,
     nullptr, nullptr},
    {"weather-year", Kind::InputFile, "FILE",
     "Run this EnergyPlus weather year (.epw) hour by hour through the design; with --sheet "
     "--json its results are \"weatherYear\".",
     false, nullptr, nullptr},
    {"economizer", Kind::Text, "none|drybulb|enthalpy",
     "The weather year's economizer: none (the default), or open on a lower outdoor dry bulb or "
     "enthalpy than the return's.",
     false, nullptr, nullptr},
    {"weather-year-csv", Kind::OutputFile, "FILE",
     "Write the weather year's hourly rows to FILE as comma-separated values and exit.", true,
     nullptr, nullptr},
    {"at", Kind::Text, "TIME",
     "Take this moment (ISO 8601, with its zone) as now, to replay a day.", false, nullptr,
     nullptr},
};

const OptionDef* find(QStringView name) {
    for (const OptionDef& o : Options)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

// An option written "--name value" takes whatever follows as its value:
// "--csv --sheet" would write a file called "--sheet". Such a value must be
// written --name=value. Returns the complaint, or empty.
QString swallowedOption(const QStringList& args) {
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--"))
            break;
        if (!a.startsWith(QLatin1String("--")) || a.contains(u'='))
            continue;
        const OptionDef* o = find(QStringView(a).mid(2));
        if (!o || o->kind == Kind::Flag)
            continue;
        const QString& v = args[i + 1];
        const bool file = o->kind != Kind::Text;
        const bool stdOut = o->kind == Kind::OutputFile && v == QLatin1String(fileio::StdoutName);
        if (v.startsWith(QLatin1String("--")) || (file && v.startsWith(u'-') && !stdOut))
            return QStringLiteral("option '%1' takes a value, got '%2' (write %1=%2 if that is "
                                  "the value)")
                .arg(a, v);
        ++i;
    }
    return QString();
}

// Values each option's kind refuses, written in either form.
QString badValue(const QCommandLineParser& p) {
    for (const OptionDef& o : Options) {
        const QString name = QLatin1String(o.name);
        if (!p.isSet(name))
            continue;
        if (o.kind != Kind::Text && o.kind != Kind::Flag && p.value(name).isEmpty())
            return QStringLiteral("--%1 takes a file name").arg(name);
        if (o.needs && !p.isSet(QLatin1String(o.needs)))
            return QStringLiteral("--%1 goes with --%2").arg(name, QLatin1String(o.needs));
        if (o.conflicts && p.isSet(QLatin1String(o.conflicts)))
            return QStringLiteral("--%1 cannot go with --%2").arg(name, QLatin1String(o.conflicts));
    }
    return QString();
}

// "T,RH" typed into a state's two fields.
bool typePair(const QCommandLineParser& p, const char* option, Field temp, Field rh, Request* r,
              QString* why) {
    const QString name = QLatin1String(option);
    if (!p.isSet(name))
        return true;
    const QString value = p.value(name);
    const qsizetype comma = value.indexOf(u',');
    // A second comma is a decimal comma: "35,5,60" would be 35 F and 5 %.
    if (comma < 0 || value.indexOf(u',', comma + 1) >= 0) {
        *why = QStringLiteral("--%1 takes T,RH (one comma between the two, decimals with a "
                              "point), got '%2'")
                   .arg(name, value);
        return false;
    }
    r->typed.append({temp, value.left(comma)});
    r->typed.append({rh, value.mid(comma + 1)});
    return true;
}

// The inputs, in the order a user would type them.
bool readInputs(const QCommandLineParser& p, Request* r, QString* why) {
    if (!typePair(p, "outdoor", Field::txtOutdoorTemp, Field::txtOutdoorRH, r, why) ||
        !typePair(p, "return", Field::txtReturnTemp, Field::txtReturnRH, r, why) ||
        !typePair(p, "supply", Field::txtSupplyTemp, Field::txtSupplyRH, r, why))
        return false;
    for (const auto& [option, field] :
         {std::pair{"cfm", Field::txtSupplyFlow}, std::pair{"flow", Field::txtSupplyFlow},
          std::pair{"fresh", Field::txtFreshMix}})
        if (p.isSet(QLatin1String(option)))
            r->typed.append({field, p.value(QLatin1String(option))});
    r->flowInCfm = p.isSet(QStringLiteral("cfm"));
    if (p.isSet(QStringLiteral("city"))) {
        const QString name = p.value(QStringLiteral("city"));
        bool isRow = false;
        const int row = name.toInt(&isRow);
        r->cityRow = psychro::cityRowByName(name);
        if (r->cityRow < 0 && isRow && row >= 0 && row < psychro::CityCount)
            r->cityRow = row;
        if (r->cityRow < 0) {
            *why = QStringLiteral("unknown city '%1' (give its list text exactly, for example "
                                  "\"Denver, CO\", or a row 0 to 99)")
                       .arg(name);
            return false;
        }
    }
    r->heating = p.isSet(QStringLiteral("heating"));
    r->live = p.isSet(QStringLiteral("live"));
    return true;
}

// The method, the units and the altitude or pressure; the value's range is
// checked once the units are known (a design may set them).
bool readMethod(const QCommandLineParser& p, Request* r, QString* why) {
    const QString method = p.value(QStringLiteral("method")).toLower();
    const QString units = p.value(QStringLiteral("units")).toLower();
    if (p.isSet(QStringLiteral("method"))) {
        if (method != QLatin1String("chart") && method != QLatin1String("ashrae")) {
            *why = QStringLiteral("--method takes chart or ashrae, not '%1'").arg(method);
            return false;
        }
        r->method = method == QLatin1String("ashrae") ? psychro::Method::Ashrae
                                                      : psychro::Method::ChartTables;
    }
    if (p.isSet(QStringLiteral("units"))) {
        if (units != QLatin1String("ip") && units != QLatin1String("si")) {
            *why = QStringLiteral("--units takes ip or si, not '%1'").arg(units);
            return false;
        }
        r->units =
            units == QLatin1String("si") ? psychro::moist::Units::SI : psychro::moist::Units::IP;
    }
    for (const char* name : {"altitude", "pressure"}) {
        if (!p.isSet(QLatin1String(name)))
            continue;
        bool ok = false;
        const double v = p.value(QLatin1String(name)).toDouble(&ok);
        if (!ok) {
            *why = QStringLiteral("--%1 takes a number, not '%2'")
                       .arg(QLatin1String(name), p.value(QLatin1String(name)));
            return false;
        }
        r->pressure = model::PressureSetting{name[0] == 'a', v};
    }
    const bool tables = r->method == psychro::Method::ChartTables;
    if (tables && (r->units == psychro::moist::Units::SI || r->pressure)) {
        *why = QStringLiteral("the chart tables are for sea level in IP units; %1 goes with "
                              "--method ashrae")
                   .arg(r->pressure ? QStringLiteral("an altitude or pressure")
                                    : QStringLiteral("--units si"));
        return false;
    }
    if (r->pressure && !r->method)
        r->method = psychro::Method::Ashrae;
    r->weatherYear = p.value(QStringLiteral("weather-year"));
    if (p.isSet(QStringLiteral("economizer"))) {
        r->economizer = model::economizerOf(p.value(QStringLiteral("economizer")).toLower());
        if (!r->economizer) {
            *why = QStringLiteral("--economizer takes none, drybulb or enthalpy, not '%1'")
                       .arg(p.value(QStringLiteral("economizer")));
            return false;
        }
    }
    return true;
}

bool readFeed(const QCommandLineParser& p, Request* r, QString* why) {
    if (p.isSet(QStringLiteral("station"))) {
        r->station = p.value(QStringLiteral("station"));
        if (!model::isStationId(*r->station)) {
            *why = QStringLiteral("--station takes 3 to 5 letters and digits, for example KDTO");
            return false;
        }
    }
    if (p.isSet(QStringLiteral("weather-api"))) {
        r->weatherApi = p.value(QStringLiteral("weather-api"));
        if (r->weatherApi->trimmed().isEmpty()) {
            *why = QStringLiteral("--weather-api takes the service's address");
            return false;
        }
    }
    if (p.isSet(QStringLiteral("at"))) {
        r->now = QDateTime::fromString(p.value(QStringLiteral("at")), Qt::ISODate);
        // Without a zone the moment would depend on the machine's.
        if (!r->now.isValid() || r->now.timeSpec() == Qt::LocalTime) {
            *why = QStringLiteral("--at takes an ISO 8601 time with its zone, for example "
                                  "2019-08-17T12:00:00Z");
            return false;
        }
    }
    r->settingsPath = p.value(QStringLiteral("settings"));
    return true;
}

bool readOutputs(const QCommandLineParser& p, Request* r, QString* why) {
    auto value = [&p](const char* name) { return p.value(QLatin1String(name)); };
    r->sheet = p.isSet(QStringLiteral("sheet"));
    r->json = p.isSet(QStringLiteral("json"));
    r->screenshot = value("screenshot");
    r->printPdf = value("print-pdf");
    r->exportChart = value("export-chart");
    r->chartFormat = value("chart-format").toLower();
    r->csv = value("csv");
    r->saveDesign = value("save-design");
    r->weatherYearCsv = value("weather-year-csv");
    if (!r->chartFormat.isEmpty() && !chart::ChartFormats.contains(r->chartFormat)) {
        *why = QStringLiteral("--chart-format takes %1, not '%2'")
                   .arg(chart::ChartFormats.join(QStringLiteral(", ")), r->chartFormat);
        return false;
    }
    if (r->exportChart == QLatin1String(fileio::StdoutName) && r->chartFormat.isEmpty()) {
        *why = QStringLiteral("--export-chart - writes to standard output in the format "
                              "--chart-format names (png, svg or pdf); or give a file name "
                              "ending in .png, .svg or .pdf");
        return false;
    }
    r->headless = std::any_of(std::begin(Options), std::end(Options), [&p](const OptionDef& o) {
        return o.headless && p.isSet(QLatin1String(o.name));
    });
    r->widgets = !r->headless || !r->screenshot.isEmpty();
    r->drawing = !r->printPdf.isEmpty() || !r->exportChart.isEmpty();
    return true;
}

// One positional argument is accepted: a design file, as a file manager
// passes it.
bool readDesignPath(const QCommandLineParser& p, Request* r, QString* why) {
    r->designPath = p.value(QStringLiteral("design"));
    const QStringList positional = p.positionalArguments();
    for (qsizetype i = 0; i < positional.size(); ++i) {
        const QString suffix = u'.' + QLatin1String(model::DesignSuffix);
        if (i > 0 || !positional[i].endsWith(suffix, Qt::CaseInsensitive)) {
            *why = QStringLiteral("unexpected argument '%1'").arg(positional[i]);
            return false;
        }
        if (p.isSet(QStringLiteral("design"))) {
            *why = QStringLiteral("two designs given ('%1' and --design '%2')")
                       .arg(positional[i], r->designPath);
            return false;
        }
        r->designPath = positional[i];
    }
    return true;
}

// The file a name stands for: the same file however it is written, once it
// exists; standard output as "-".
QString fileKey(const QString& name) {
    if (name == QLatin1String(fileio::StdoutName))
        return name;
    const QFileInfo f(name);
    const QString canonical = f.canonicalFilePath();
    return canonical.isEmpty() ? f.absoluteFilePath() : canonical;
}

// Each output goes to a file of its own, and none over a file the run
// reads: "--weather-year y.epw --weather-year-csv y.epw" would replace the
// year with its rows. A design may be saved over the one opened.
bool ownFiles(const QCommandLineParser& p, const Request& r, QString* why) {
    QList<std::pair<QString, QString>> outputs; // (option, file)
    if (r.sheet)
        outputs.append({QStringLiteral("--sheet"), QLatin1String(fileio::StdoutName)});
    for (const OptionDef& o : Options)
        if (o.kind == Kind::OutputFile && p.isSet(QLatin1String(o.name)))
            outputs.append({QStringLiteral("--") + QLatin1String(o.name),
                            fileKey(p.value(QLatin1String(o.name)))});
    for (qsizetype i = 0; i < outputs.size(); ++i)
        for (qsizetype j = 0; j < i; ++j)
            if (outputs[i].second == outputs[j].second) {
                *why = outputs[i].second == QLatin1String(fileio::StdoutName)
                           ? QStringLiteral("%1 and %2 both write to standard output")
                                 .arg(outputs[j].first, outputs[i].first)
                           : QStringLiteral("%1 and %2 both write '%3'")
                                 .arg(outputs[j].first, outputs[i].first,
                                      QDir::toNativeSeparators(outputs[i].second));
                return false;
            }
    const std::pair<const char*, QString> inputs[] = {{"--design", r.designPath},
                                                      {"--weather-year", r.weatherYear},
                                                      {"--settings", r.settingsPath}};
    for (const auto& [input, name] : inputs) {
        if (name.isEmpty())
            continue;
        const QString read = fileKey(name);
        for (const auto& [output, written] : outputs)
            if (written == read && !(output == QLatin1String("--save-design") &&
                                     input == QLatin1String("--design"))) {
                *why = QStringLiteral("%1 would write over the %2 file '%3'")
                           .arg(output, QLatin1String(input), name);
                return false;
            }
    }
    return true;
}

} // namespace

Parsed parseArguments(const QStringList& args, Request* r, QString* text) {
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("Quorvel Psychrometry: a psychrometric calculator for air-handling units."));
    const QCommandLineOption help = p.addHelpOption();
    const QCommandLineOption version = p.addVersionOption();
    for (const OptionDef& o : Options)
        p.addOption(o.kind == Kind::Flag
                        ? QCommandLineOption(QLatin1String(o.name), QLatin1String(o.help))
                        : QCommandLineOption(QLatin1String(o.name), QLatin1String(o.help),
                                             QLatin1String(o.valueName)));
    p.addPositionalArgument(QStringLiteral("design"),
                            QStringLiteral("A design file (.qpsy) to open, as --design."),
                            QStringLiteral("[FILE.qpsy]"));
    if (!p.parse(args)) {
        *text = p.errorText();
        return Parsed::Usage;
    }
    if (p.isSet(help) || p.isSet(QStringLiteral("help-all"))) {
        *text = p.helpText();
        return Parsed::Help;
    }
    if (p.isSet(version)) {
        *text = QStringLiteral("quorvel %1\n").arg(QLatin1String(version::Text));
        return Parsed::Version;
    }
    *text = swallowedOption(args);
    if (text->isEmpty())
        *text = badValue(p);
    if (!text->isEmpty() || !readDesignPath(p, r, text) || !readInputs(p, r, text) ||
        !readMethod(p, r, text) || !readFeed(p, r, text) || !readOutputs(p, r, text) ||
        !ownFiles(p, *r, text))
        return Parsed::Usage;
    return Parsed::Run;
}

} // namespace app
