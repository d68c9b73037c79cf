#include "model/design.h"

#include "model/session.h"

#include "fileio/safe_write.h"
#include "psychro/design_cities.h"
#include "psychro/sheet.h"
#include "psychro/units.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <utility>

namespace model {

using psychro::Field;

namespace {

constexpr int DesignVersion = 1;
constexpr qint64 MaxDesignBytes = 1024 * 1024;

const QString FormatKey = QStringLiteral("format");
const QString FormatName = QStringLiteral("quorvel-design");
const QString VersionKey = QStringLiteral("version");
const QString LockedKey = QStringLiteral("locked");
const QString OperationKey = QStringLiteral("operation");
const QString CityRowKey = QStringLiteral("cityRow");
const QString TitleKey = QStringLiteral("title");
const QString MethodKey = QStringLiteral("method");
const QString UnitsKey = QStringLiteral("units");
const QString AltitudeKey = QStringLiteral("altitude");
const QString PressureKey = QStringLiteral("pressure");
const QString WeatherYearKey = QStringLiteral("weatherYear");
const QString EconomizerKey = QStringLiteral("economizer");
const QString MethodNames[] = {QStringLiteral("chart"), QStringLiteral("ashrae")};
const QString UnitNames[] = {QStringLiteral("IP"), QStringLiteral("SI")};
const QString OperationNames[] = {QStringLiteral("cooling"), QStringLiteral("heating")};

// The title block's keys, in the order of its fields.
constexpr std::array<std::pair<const char*, QString TitleBlock::*>, 5> TitleKeys = {{
    {"project", &TitleBlock::project},
    {"airHandler", &TitleBlock::airHandler},
    {"engineer", &TitleBlock::engineer},
    {"date", &TitleBlock::date},
    {"notes", &TitleBlock::notes},
}};

Field inputField(size_t i) {
    return psychro::inputFields()[i];
}

QString inputKey(size_t i) {
    return QLatin1String(psychro::fieldName(inputField(i)));
}

// A JSON number that is a whole number within int's range.
std::optional<int> wholeNumber(const QJsonValue& v) {
    if (!v.isDouble())
        return std::nullopt;
    const double x = v.toDouble();
    if (x != std::floor(x) || x < -2147483648.0 || x > 2147483647.0)
        return std::nullopt;
    return int(x);
}

// A design's key as the user knows what it holds ("the OUTDOOR
// temperature"), for the reasons a design is refused.
QString shownKey(const QString& key) {
    static const std::pair<const char*, const char*> names[] = {
        {"txtOutdoorTemp", "the OUTDOOR temperature"},
        {"txtOutdoorRH", "the OUTDOOR relative humidity"},
        {"txtReturnTemp", "the RETURN temperature"},
        {"txtReturnRH", "the RETURN relative humidity"},
        {"txtSupplyTemp", "the SUPPLY temperature"},
        {"txtSupplyRH", "the SUPPLY relative humidity"},
        {"txtSupplyFlow", "the supply air flow"},
        {"txtFreshMix", "the fresh-air share"},
        {"title.project", "the project"},
        {"title.airHandler", "the air handler"},
        {"title.engineer", "the engineer"},
        {"title.date", "the date"},
        {"title.notes", "the notes"}};
    for (const auto& [k, name] : names)
        if (key == QLatin1String(k))
            return QLatin1String(name);
    return u'"' + key + u'"';
}

QString notText(const QString& key) {
    return QStringLiteral("%1 is not text").arg(shownKey(key));
}

bool readTitle(const QJsonValue& value, Design* d, QString* why) {
    if (value.isUndefined())
        return true;
    if (!value.isObject()) {
        *why = QStringLiteral("the title block is not a set of texts");
        return false;
    }
    QJsonObject extra = value.toObject();
    for (const auto& [key, member] : TitleKeys) {
        const QString name = QLatin1String(key);
        const QJsonValue v = extra.take(name);
        if (v.isUndefined())
            continue;
        if (!v.isString()) {
            *why = notText(TitleKey + u'.' + name);
            return false;
        }
        d->title.*member = v.toString();
    }
    if (!extra.isEmpty())
        d->unknown.insert(TitleKey, extra);
    return true;
}

// The design's object, when the JSON is one of this program's designs of
// the version it reads.
bool readHeader(const QByteArray& json, QJsonObject* root, QString* why) {
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        *why =
            QStringLiteral("not JSON (%1 at byte %2)").arg(parse.errorString()).arg(parse.offset);
        return false;
    }
    if (!doc.isObject()) {
        *why = QStringLiteral("not a JSON object");
        return false;
    }
    *root = doc.object();
    if (root->take(FormatKey) != QJsonValue(FormatName)) {
        *why = QStringLiteral("not a Quorvel design (\"format\" is not \"%1\")").arg(FormatName);
        return false;
    }
    // Any whole number is a version: one beyond int's range is simply a
    // newer one.
    const QJsonValue versionValue = root->take(VersionKey);
    const double version = versionValue.toDouble(qQNaN());
    if (!versionValue.isDouble() || version != std::floor(version)) {
        *why = versionValue.isUndefined() ? QStringLiteral("no \"version\"")
                                          : QStringLiteral("\"version\" is not a whole number");
        return false;
    }
    const QString versionText = QString::number(version, 'f', 0);
    if (version > DesignVersion)
        *why = QStringLiteral("made by a newer version: design version %1 (this program reads "
                              "version %2)")
                   .arg(versionText)
                   .arg(DesignVersion);
    else if (version < DesignVersion)
        *why = QStringLiteral("unknown design version %1").arg(versionText);
    return version == DesignVersion;
}

// The lock, the operation and the city row.
bool readChoices(QJsonObject& root, Design* d, QString* why) {
    if (const QJsonValue v = root.take(LockedKey); !v.isUndefined()) {
        if (!v.isBool()) {
            *why = QStringLiteral("the slider's lock is not true or false");
            return false;
        }
        d->locked = v.toBool();
    }
    if (const QJsonValue v = root.take(OperationKey); !v.isUndefined()) {
        if (v != QJsonValue(OperationNames[0]) && v != QJsonValue(OperationNames[1])) {
            *why = QStringLiteral("the operation is neither \"cooling\" nor \"heating\"");
            return false;
        }
        d->operation = v == QJsonValue(OperationNames[1]) ? 1 : 0;
    }
    const QJsonValue v = root.take(CityRowKey);
    if (v.isUndefined() || v.isNull())
        return true;
    const std::optional<int> row = wholeNumber(v);
    if (!row) {
        *why = QStringLiteral("the design city is not a row number");
        return false;
    }
    if (*row < 0 || *row >= psychro::CityCount) {
        *why = QStringLiteral("the design city's row %1 is outside 0 to %2")
                   .arg(*row)
                   .arg(psychro::CityCount - 1);
        return false;
    }
    if (*row > 0) // row 0 is "Manual Entry"
        d->cityRow = *row;
    return true;
}

// The method, the units and the altitude or pressure.
bool readMethod(QJsonObject& root, Design* d, QString* why) {
    using psychro::moist::Units;
    if (const QJsonValue v = root.take(MethodKey); !v.isUndefined()) {
        if (v != QJsonValue(MethodNames[0]) && v != QJsonValue(MethodNames[1])) {
            *why = QStringLiteral("the method is neither \"chart\" nor \"ashrae\"");
            return false;
        }
        d->method = v == QJsonValue(MethodNames[1]) ? psychro::Method::Ashrae
                                                    : psychro::Method::ChartTables;
    }
    if (const QJsonValue v = root.take(UnitsKey); !v.isUndefined()) {
        if (v != QJsonValue(UnitNames[0]) && v != QJsonValue(UnitNames[1])) {
            *why = QStringLiteral("the units are neither \"IP\" nor \"SI\"");
            return false;
        }
        d->units = v == QJsonValue(UnitNames[1]) ? Units::SI : Units::IP;
    }
    if (d->units == Units::SI && d->method == psychro::Method::ChartTables) {
        *why = QStringLiteral("the chart tables are in IP units only");
        return false;
    }
    const QJsonValue altitude = root.take(AltitudeKey);
    const QJsonValue pressure = root.take(PressureKey);
    if (!altitude.isUndefined() && !pressure.isUndefined()) {
        *why = QStringLiteral("the design gives both an altitude and a pressure");
        return false;
    }
    const QJsonValue v = altitude.isUndefined() ? pressure : altitude;
    if (v.isUndefined())
        return true;
    if (!v.isDouble()) {
        *why = QStringLiteral("the %1 is not a number")
                   .arg(altitude.isUndefined() ? PressureKey : AltitudeKey);
        return false;
    }
    d->pressure = {altitude.isUndefined() ? false : true, v.toDouble()};
    *why = pressureProblem(d->units, d->pressure);
    return why->isEmpty();
}

// The weather year's path and the economizer.
bool readWeather(QJsonObject& root, Design* d, QString* why) {
    if (const QJsonValue v = root.take(WeatherYearKey); !v.isUndefined()) {
        if (!v.isString()) {
            *why = QStringLiteral("the weather year is not a file name");
            return false;
        }
        d->weatherYear = v.toString();
    }
    if (const QJsonValue v = root.take(EconomizerKey); !v.isUndefined()) {
        const std::optional<climate::Economizer> mode = economizerOf(v.toString());
        if (!v.isString() || !mode) {
            *why = QStringLiteral("the economizer is not \"none\", \"drybulb\" or \"enthalpy\"");
            return false;
        }
        d->economizer = *mode;
    }
    return true;
}

bool readDesign(const QByteArray& json, Design* d, QString* why) {
    QJsonObject root;
    if (!readHeader(json, &root, why))
        return false;
    for (size_t i = 0; i < d->inputs.size(); ++i) {
        const QString key = inputKey(i);
        const QJsonValue v = root.take(key);
        if (v.isUndefined())
            continue;
        if (!v.isString()) {
            *why = notText(key);
            return false;
        }
        d->inputs[i] = v.toString();
    }
    if (!readChoices(root, d, why) || !readMethod(root, d, why) || !readWeather(root, d, why) ||
        !readTitle(root.take(TitleKey), d, why))
        return false;
    for (auto it = root.constBegin(); it != root.constEnd(); ++it)
        d->unknown.insert(it.key(), it.value());
    return true;
}

} // namespace

QString pressureProblem(psychro::moist::Units units, const PressureSetting& setting) {
    // From below the Dead Sea to above the highest air handlers; pressures
    // of the standard atmosphere over about the same span.
    using psychro::moist::Units;
    const auto limits = [&setting](bool si) {
        return setting.altitude ? (si ? std::pair(-300.0, 9000.0) : std::pair(-1000.0, 30000.0))
                                : (si ? std::pair(28.0, 110.0) : std::pair(4.0, 16.0));
    };
    // Checked in IP, whose span holds the SI one's round figures and a
    // little more: a design switched to SI at its edge (30000 ft is 9144 m)
    // keeps its air, and opens again once saved.
    const bool si = units == Units::SI;
    const double ip = !si                ? setting.value
                      : setting.altitude ? psychro::altitudeIn(Units::IP, setting.value)
                                         : psychro::pressureIn(Units::IP, setting.value);
    const auto [ipLow, ipHigh] = limits(false);
    const double slack = 1e-9 * ipHigh; // the conversion's rounding there and back
    if (ip >= ipLow - slack && ip <= ipHigh + slack)
        return QString();
    const auto [low, high] = limits(si);
    return QStringLiteral("the %1 must be %2 to %3 %4")
        .arg(setting.altitude ? QStringLiteral("altitude") : QStringLiteral("pressure"))
        .arg(low)
        .arg(high)
        .arg(QLatin1String(setting.altitude ? (si ? "m" : "ft") : (si ? "kPa" : "psia")));
}

bool TitleBlock::isEmpty() const {
    return *this == TitleBlock{};
}

QList<QStringList> TitleBlock::rows() const {
    QList<QStringList> out;
    const std::pair<const char*, const QString*> fields[] = {{"Project", &project},
                                                             {"Air Handler", &airHandler},
                                                             {"Engineer", &engineer},
                                                             {"Date", &date}};
    for (const auto& [caption, text] : fields)
        if (!text->trimmed().isEmpty())
            out.append({QLatin1String(caption), text->trimmed()});
    if (!notes.trimmed().isEmpty()) {
        const QStringList lines = notes.trimmed().split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i)
            out.append({i == 0 ? QStringLiteral("Notes") : QString(), lines[i].trimmed()});
    }
    return out;
}

Design designOf(const Session& s) {
    Design d;
    for (size_t i = 0; i < d.inputs.size(); ++i)
        d.inputs[i] = s.text(inputField(i));
    d.locked = !s.sliderEnabled();
    d.operation = s.operation();
    if (s.cityRow() > 0)
        d.cityRow = s.cityRow();
    d.title = s.titleBlock();
    d.method = s.method();
    d.units = s.units();
    d.pressure = s.pressureSetting();
    d.weatherYear = s.weather().path();
    d.economizer = s.weather().economizer();
    d.unknown = s.designExtras();
    return d;
}

QByteArray designToJson(const Design& d, QJsonDocument::JsonFormat format) {
    // Unknown keys first: a key this version writes always wins.
    QJsonObject root = d.unknown;
    root.insert(FormatKey, FormatName);
    root.insert(VersionKey, DesignVersion);
    for (size_t i = 0; i < d.inputs.size(); ++i)
        if (d.inputs[i])
            root.insert(inputKey(i), *d.inputs[i]);
    root.insert(LockedKey, d.locked);
    root.insert(OperationKey, OperationNames[d.operation == 1 ? 1 : 0]);
    if (d.cityRow && *d.cityRow > 0)
        root.insert(CityRowKey, *d.cityRow);
    else
        root.remove(CityRowKey);
    root.insert(MethodKey, MethodNames[d.method == psychro::Method::Ashrae ? 1 : 0]);
    root.insert(UnitsKey, UnitNames[d.units == psychro::moist::Units::SI ? 1 : 0]);
    root.remove(d.pressure.altitude ? PressureKey : AltitudeKey);
    root.insert(d.pressure.altitude ? AltitudeKey : PressureKey, d.pressure.value);
    root.remove(WeatherYearKey);
    if (!d.weatherYear.isEmpty())
        root.insert(WeatherYearKey, d.weatherYear);
    root.insert(EconomizerKey, economizerName(d.economizer));
    QJsonObject title = d.unknown.value(TitleKey).toObject();
    for (const auto& [key, member] : TitleKeys)
        title.insert(QLatin1String(key), d.title.*member);
    root.insert(TitleKey, title);
    return QJsonDocument(root).toJson(format);
}

bool designFileBytes(const Design& d, QByteArray* bytes, QString* error) {
    // Indented to be read by people, unless only the compact form fits what
    // the program reads back.
    QByteArray out = designToJson(d);
    if (out.size() > MaxDesignBytes)
        out = designToJson(d, QJsonDocument::Compact);
    if (out.size() > MaxDesignBytes) {
        if (error)
            *error = QStringLiteral("the design would take %1 bytes, more than the %2 a design "
                                    "may have to be opened again")
                         .arg(out.size())
                         .arg(MaxDesignBytes);
        return false;
    }
    *bytes = out;
    return true;
}

bool designFromJson(const QByteArray& json, Design* d, QString* error) {
    Design read;
    QString why;
    if (!readDesign(json, &read, &why)) {
        if (error)
            *error = why;
        return false;
    }
    *d = std::move(read);
    return true;
}

bool readDesignFile(const QString& path, Design* d, QString* error) {
    QByteArray bytes;
    QString why;
    if (!fileio::readRegularFile(path, MaxDesignBytes, &bytes, &why)) {
        if (error)
            *error = why;
        return false;
    }
    if (!designFromJson(bytes, d, &why)) {
        if (error)
            *error = QStringLiteral("cannot open design '%1': %2").arg(path, why);
        return false;
    }
    return true;
}

void applyDesign(Session& s, const Design& d) {
    if (s.liveFeed())
        s.chooseLive(1);
    // The units before the method (SI takes the equations), then the
    // pressure in those units.
    s.chooseUnits(d.units);
    s.chooseMethod(d.method);
    s.setPressure(d.pressure);
    if (s.operation() != d.operation)
        s.chooseOperation(d.operation);
    // The list shows the design's city, or manual entry when it has none;
    // the typed outdoor inputs below then take over.
    if (d.cityRow)
        s.chooseCity(*d.cityRow);
    else if (s.cityRow() > 0)
        s.chooseCity(0);
    for (size_t i = 0; i < d.inputs.size(); ++i) {
        if (!d.inputs[i])
            continue;
        const Field f = inputField(i);
        s.changeText(f, *d.inputs[i]);
        s.leaveField(f);
    }
    if (d.locked == s.sliderEnabled())
        s.toggleSliderLock();
    WeatherStudy& weather = s.weather();
    weather.setEconomizer(d.economizer);
    QString why;
    if (d.weatherYear.isEmpty())
        weather.close();
    else if (d.weatherYear != weather.path() && !weather.open(d.weatherYear, &why))
        emit s.message(QStringLiteral("The design opens without its weather year: %1").arg(why));
    s.setTitleBlock(d.title);
    s.setDesignExtras(d.unknown);
}

} // namespace model
