#include "model/session.h"

#include "psychro/chart_geometry.h"
#include "psychro/coil.h"
#include "psychro/design_cities.h"
#include "psychro/mixing.h"
#include "psychro/numconv.h"
#include "psychro/properties.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>
#include <optional>
#include <utility>

namespace model {

using psychro::Field;
using psychro::LeadingNumber;
using psychro::ToSingle;

namespace {

float valueOf(const QString& text) {
    return ToSingle(LeadingNumber(text));
}

// The equations take a field with no number in it ("", "abc", "nan") as
// no value, not as the 0 the chart tables read: the sheet then warns
// instead of computing air nobody typed.
double typedOrNan(const QString& text, double value) {
    static const QRegularExpression leading(QStringLiteral("^\\s*[-+]?\\.?\\d"));
    return leading.match(text).hasMatch() ? value : qQNaN();
}

// Element text as a single-precision number, or nothing when the text is
// not a number or does not fit a single.
std::optional<float> numberOf(const QString& v) {
    bool ok = false;
    const double x = psychro::StrictNumber(v.trimmed(), &ok);
    const float f = ToSingle(x);
    if (!ok || !std::isfinite(f))
        return std::nullopt;
    return f;
}

// A station that sends something absurdly long is cut short on the panel.
QString caption(const QString& before, const QString& v, const QString& after) {
    constexpr qsizetype MaxShown = 120;
    return before + (v.size() > MaxShown ? v.left(MaxShown) + QChar(0x2026) : v) + after;
}

} // namespace

Session::Session(FeedSource* feed, SettingsStore* store, QObject* parent)
    : QObject(parent), m_feed(feed), m_store(store), m_weather(new WeatherStudy(*this)) {
    // The texts the window is created with.
    const std::pair<Field, const char*> initial[] = {
        {Field::txtOutdoorTemp, "90"},  {Field::txtOutdoorRH, "75"},  {Field::txtReturnTemp, "75"},
        {Field::txtReturnRH, "60"},     {Field::txtSupplyTemp, "60"}, {Field::txtSupplyRH, "99"},
        {Field::txtSupplyFlow, "6000"}, {Field::txtFreshMix, "25"},   {Field::txtOutdoorDew, "19"}};
    for (const auto& [f, text] : initial)
        m_sheet[f] = QString::fromLatin1(text);
}

void Session::startUp() {
    psychro::setGraphBounds(m_chart.objMyGraph);
    if (m_store)
        m_settingsProblem = m_store->LoadFeedSettings(m_settings, 1);
    // The list's first row, "Manual Entry", for cooling: two field writes,
    // two recomputes, still without the fresh-air share.
    chooseCity(0);
    m_sliderEnabled = false;
    leaveField(Field::txtFreshMix);
    chooseLive(1);
    recompute();
}

// --- The redraw pipeline, without the painting ---------------------------

void Session::recompute() {
    ++m_redrawCount;
    m_chart.InterpFailed = false;
    emit animationReset(true);
    if (m_chart.method == psychro::Method::Ashrae) {
        psychro::RunAshraeSheet(m_sheet, m_chart, ashraeInputs());
    } else {
        m_sheet.value.fill(qQNaN());
        psychro::fillLineTables(m_chart);
        psychro::placeStates(m_chart, LeadingNumber(m_sheet[Field::txtSupplyTemp]),
                             LeadingNumber(m_sheet[Field::txtReturnTemp]));
        m_chart.mixedPlaced = psychro::constructMixedPoint(m_chart, m_sheet[Field::txtMixedTemp]);
        psychro::RunConversions(m_sheet, m_chart);
        psychro::RunCoilAnalysis(m_sheet, m_chart, m_operation == 1);
    }
    emit recomputed();
}

psychro::AshraeInputs Session::ashraeInputs() const {
    const psychro::WorkingInputs& in = m_chart.in;
    // The chart tables place an outdoor 100 % as 99; the equations take it.
    const bool saturated = LeadingNumber(m_sheet[Field::txtOutdoorRH]) == 100 && in.gORH == 99;
    auto typed = [this](Field f, double value) { return typedOrNan(m_sheet[f], value); };
    return {m_units,
            pressure(),
            typed(Field::txtOutdoorTemp, in.gTemperature),
            typed(Field::txtOutdoorRH, saturated ? 100.0 : in.gORH),
            typed(Field::txtReturnTemp, LeadingNumber(m_sheet[Field::txtReturnTemp])),
            typed(Field::txtReturnRH, in.gRRH),
            typed(Field::txtSupplyTemp, LeadingNumber(m_sheet[Field::txtSupplyTemp])),
            typed(Field::txtSupplyRH, in.gSRH),
            in.gAirRate,
            m_operation == 1};
}

// --- The method, units and pressure --------------------------------------

double Session::pressure() const {
    if (pressureFromStation())
        return m_units == psychro::moist::Units::SI
                   ? m_stationPressurePa / 1000
                   : psychro::pressureIn(psychro::moist::Units::IP, m_stationPressurePa / 1000);
    return m_pressure.altitude ? psychro::moist::standardPressure(m_units, m_pressure.value)
                               : m_pressure.value;
}

bool Session::pressureFromStation() const {
    return m_liveFeed && m_stationPressurePa > 0;
}

void Session::chooseMethod(psychro::Method method) {
    if (method == psychro::Method::ChartTables && m_units != psychro::moist::Units::IP) {
        chooseUnits(psychro::moist::Units::IP); // the chart tables are IP only
    }
    m_chart.method = method;
    emit methodChanged();
    recompute();
}

void Session::convertInput(Field f, double value) {
    // Two decimals: the air stays the same to well within what is shown.
    // Switched back untouched, a field shows again what it showed before,
    // so 6000 CFM is not 5999.99 after a look at it in L/s.
    Conversion& c = m_conversions[f];
    const QString text =
        m_sheet[f] == c.after ? c.before : psychro::NumText(std::round(value * 100) / 100);
    c = {m_sheet[f], text};
    m_sheet[f] = text;
    emit fieldChanged(f);
}

void Session::chooseUnits(psychro::moist::Units units) {
    using psychro::moist::Units;
    if (units == m_units)
        return;
    for (Field f : {Field::txtOutdoorTemp, Field::txtReturnTemp, Field::txtSupplyTemp})
        convertInput(f, psychro::temperatureIn(units, LeadingNumber(m_sheet[f])));
    convertInput(Field::txtSupplyFlow,
                 psychro::flowIn(units, LeadingNumber(m_sheet[Field::txtSupplyFlow])));
    m_pressure.value = m_pressure.altitude ? psychro::altitudeIn(units, m_pressure.value)
                                           : psychro::pressureIn(units, m_pressure.value);
    m_units = units;
    m_chart.in.gTemperature = valueOf(m_sheet[Field::txtOutdoorTemp]);
    if (units == Units::SI)
        m_chart.method = psychro::Method::Ashrae; // the chart tables are IP only
    emit methodChanged();
    recompute();
}

QString Session::setPressure(const PressureSetting& setting) {
    if (QString why = pressureProblem(m_units, setting); !why.isEmpty())
        return why;
    if (setting == m_pressure)
        return QString();
    m_pressure = setting;
    emit methodChanged();
    recompute();
    return QString();
}

QString Session::outdoorText(float fahrenheit) const {
    if (m_units == psychro::moist::Units::IP)
        return psychro::NumTextSingle(fahrenheit);
    return psychro::NumText(std::round(psychro::moist::celsius(fahrenheit) * 100) / 100);
}

// --- Input fields --------------------------------------------------------

void Session::changeText(Field f, const QString& text) {
    if (m_sheet[f] == text)
        return;
    m_sheet[f] = text;
    emit fieldChanged(f);
    psychro::WorkingInputs& in = m_chart.in;
    switch (f) {
    case Field::txtOutdoorTemp:
        in.gTemperature = valueOf(text);
        recompute();
        break;
    case Field::txtOutdoorRH:
        // The outdoor humidity never reaches the chart as 100: 100 is placed
        // as 99 while the field goes on showing 100.
        in.gORH = valueOf(text);
        if (in.gORH == 100)
            in.gORH = 99;
        if (in.gORH > 1 && in.gORH < 100)
            recompute();
        break;
    case Field::txtReturnRH:
        in.gRRH = valueOf(text);
        if (in.gRRH > 0 && in.gRRH <= 100)
            recompute();
        break;
    case Field::txtSupplyRH:
        in.gSRH = valueOf(text);
        if (in.gSRH > 0 && in.gSRH <= 100)
            recompute();
        break;
    case Field::txtReturnTemp:
    case Field::txtSupplyTemp:
        recompute();
        break;
    case Field::txtFreshMix: {
        const double value = LeadingNumber(text);
        if (value > 0 && value <= 100) {
            in.gAirRate = ToSingle(value / 100);
            emit shareChanged();
            recompute();
        }
        break;
    }
    default: // the supply flow waits for the field to be left; the rest is shown only
        break;
    }
}

void Session::leaveField(Field f) {
    psychro::WorkingInputs& in = m_chart.in;
    // A humidity outside 1..100 is rewritten; the rewrite raises the field's
    // change procedure before this one goes on.
    auto clampRh = [this](Field rh, double value, float& store) {
        store = ToSingle(value);
        if (value > 100)
            changeText(rh, QStringLiteral("100"));
        else if (value < 1)
            changeText(rh, QStringLiteral("1"));
    };
    switch (f) {
    case Field::txtOutdoorRH:
        clampRh(f, LeadingNumber(m_sheet[f]), in.gORH);
        if (in.gORH == 100)
            in.gORH = 99;
        recompute();
        break;
    case Field::txtReturnRH:
        clampRh(f, LeadingNumber(m_sheet[f]), in.gRRH);
        recompute();
        break;
    case Field::txtSupplyRH:
        clampRh(f, LeadingNumber(m_sheet[f]), in.gSRH);
        recompute();
        break;
    case Field::txtSupplyFlow: {
        // "6,000" is how a flow is written in the US, but the sheet reads the
        // leading number (6) for the flows and the whole text (6000) for the
        // load. A text the locale accepts whole is rewritten in plain digits,
        // so that every step reads the same number.
        const QString text = m_sheet[f];
        bool whole = false;
        const double value = psychro::StrictNumber(text, &whole);
        if (whole && std::isfinite(value) && value != LeadingNumber(text))
            changeText(f, psychro::NumText(value));
        recompute();
        break;
    }
    case Field::txtFreshMix: {
        const double value = LeadingNumber(m_sheet[f]);
        if (value < 0)
            changeText(f, QStringLiteral("0"));
        if (value > 100)
            changeText(f, QStringLiteral("100"));
        in.gAirRate = ToSingle(LeadingNumber(m_sheet[f]) / 100);
        emit shareChanged();
        recompute();
        break;
    }
    default:
        break;
    }
}

QString Session::withheld(Field f) const {
    // A keystroke applies what lies inside the range its change procedure
    // takes; leaving the field sets anything else into low..high.
    const bool rh = f == Field::txtOutdoorRH || f == Field::txtReturnRH || f == Field::txtSupplyRH;
    if (!rh && f != Field::txtFreshMix)
        return QString();
    double v = LeadingNumber(m_sheet[f]);
    if (f == Field::txtOutdoorRH && v == 100)
        v = 99; // shown as 100, placed as 99
    const bool applied = f == Field::txtOutdoorRH ? v > 1 && v < 100 : v > 0 && v <= 100;
    const double low = rh ? 1 : 0, high = 100;
    if (applied)
        return QString();
    if (v > high)
        return QStringLiteral("above %1: set to %1 when you leave the field").arg(high);
    if (v < low)
        return QStringLiteral("below %1: set to %1 when you leave the field").arg(low);
    return QStringLiteral("%1: applied when you leave the field").arg(psychro::NumText(v));
}

// --- Design points -------------------------------------------------------

void Session::chooseCity(int row) {
    if (row < 0 || row >= psychro::CityCount)
        return;
    m_cityRow = row;
    emit cityChanged();
    applyCity();
}

// The selected row's summer point for cooling, winter point for heating,
// written into the outdoor fields (whose change procedures recompute).
void Session::applyCity() {
    if (m_cityRow < 0)
        return;
    const psychro::CityPoints p = psychro::cityPoints(m_cityRow);
    // The table is in F; in SI the field takes the point in C.
    if (m_operation == 0) {
        changeText(Field::txtOutdoorTemp, outdoorText(p.summerDryBulb));
        changeText(Field::txtOutdoorRH, p.summerRh);
    } else {
        changeText(Field::txtOutdoorTemp, outdoorText(p.winterDryBulb));
        changeText(Field::txtOutdoorRH, psychro::NumTextSingle(p.winterRh));
    }
}

void Session::chooseOperation(int index) {
    m_operation = index == 1 ? 1 : 0;
    emit operationChanged();
    applyCity();
    recompute();
}

// --- Fresh-air slider ----------------------------------------------------

void Session::toggleSliderLock() {
    m_sliderEnabled = !m_sliderEnabled;
    emit sliderLockChanged();
}

void Session::moveSlider(double X, double trackWidth, double knobWidth) {
    if (!m_sliderEnabled)
        return;
    // The pointer is the knob's centre, kept inside the track.
    const double h = knobWidth / 2;
    if (X < h)
        X = h;
    if (X > trackWidth - h)
        X = trackWidth - h;
    m_chart.in.gAirRate = ToSingle((X - h) * (100 / (trackWidth - knobWidth)) / 100);
    emit shareChanged();
    emit animationReset(true);
    recompute();
    // Writing the rounded share raises the field's change procedure, which
    // snaps the share (and the knob) to the 0.1 % grid and recomputes again.
    changeText(Field::txtFreshMix,
               psychro::FormatNumber(double(m_chart.in.gAirRate) * 100, QStringLiteral("#0.0")));
}

// --- Live feed -----------------------------------------------------------

void Session::chooseLive(int index) {
    if (index == 0) {
        m_liveFeed = true;
        emit liveFeedChanged();
        // A new look at the station: its first failure is told again.
        m_outageSince = QDateTime();
        m_history.obsIndex = 0;
        // The outdoor fields start from the "Manual Entry" point, then
        // follow the station.
        chooseCity(0);
        refreshLiveFeed();
        // The user may have chosen manual entry while the station was being
        // asked; the view then stays as that choice left it.
        if (m_liveFeed && !m_liveView) {
            m_liveView = true;
            emit liveViewChanged();
        }
    } else {
        m_liveFeed = false;
        emit liveFeedChanged();
        setFeedStatus(QString());
        if (std::exchange(m_stationPressurePa, 0) > 0)
            emit methodChanged();
        if (m_liveView) {
            m_liveView = false;
            emit liveViewChanged();
        }
        psychro::WorkingInputs& in = m_chart.in;
        in.gTemperature = valueOf(m_sheet[Field::txtOutdoorTemp]);
        in.gORH = valueOf(m_sheet[Field::txtOutdoorRH]); // without the 100 -> 99 rule
        in.gSRH = valueOf(m_sheet[Field::txtSupplyRH]);
        in.gRRH = valueOf(m_sheet[Field::txtReturnRH]);
    }
    emit animationReset(false);
    QCoreApplication::processEvents();
    recompute();
}

void Session::Timer1_Timer() {
    // A tick that arrives while a refresh is still waiting for the station
    // is dropped rather than nested inside it.
    if (m_refreshing)
        return;
    showAge();
    m_history.obsIndex = 0;
    if (m_liveFeed)
        refreshLiveFeed();
    recompute();
}

FeedSettings Session::defaultFeedSettings() const {
    FeedSettings defaults = m_settings;
    if (m_store)
        m_store->LoadFeedSettings(defaults, 0);
    else
        defaults = FeedSettings{};
    return defaults;
}

QString Session::useFeedSettings(const FeedSettings& settings, bool save) {
    if (QString problem = model::settingsProblem(settings); !problem.isEmpty())
        return problem;
    m_settings = settings;
    if (save && m_store)
        m_store->save(m_settings);
    return QString();
}

// The same as a tick: the history again from its first slot, a refresh
// with the new settings in live mode, and a recompute.
void Session::settingsEdited() {
    Timer1_Timer();
}

void Session::setRefreshing(bool refreshing) {
    m_refreshing = refreshing;
    emit refreshingChanged();
}

// Both documents, with pending events let through between the fetches and
// before the history walk, as the fetches themselves let them through.
void Session::refreshLiveFeed() {
    if (m_refreshing)
        return;
    setRefreshing(true);
    QStringList failures;
    auto failed = [&failures](const QString& url, const QString& why) {
        failures << QStringLiteral("%1: %2").arg(shownAddress(url), why);
    };
    QString why = QStringLiteral("no weather feed in this run");
    FeedAddresses at{m_settings.gXMLCurrent, m_settings.gXMLDaily};
    if (!m_feed || !m_feed->addresses(m_settings, at, &why)) {
        // Nothing to fetch: the settings name no documents.
        m_lastFailure = why;
        setRefreshing(false);
        reportFailure(why);
        return;
    }

    // Current conditions: a document that cannot be loaded is skipped
    // silently; the panel and the fields keep their values. Values no air
    // can have are refused whole, and said.
    QByteArray body;
    QList<CurrentReading> readings;
    bool implausible = false;
    const bool currentLoaded =
        m_feed->fetch(at.current, body, &why) && m_feed->readCurrent(body, readings, &why);
    if (currentLoaded) {
        for (const CurrentReading& r : readings)
            if (const QString bad = readingProblem(r); !bad.isEmpty() && !implausible) {
                implausible = true;
                why = bad;
            }
        if (!implausible) {
            m_stationPressurePa = 0; // this observation's, or none
            for (const CurrentReading& r : readings)
                applyCurrent(r);
        }
    }
    if (!currentLoaded || implausible)
        failed(at.current, why);

    QCoreApplication::processEvents();

    why.clear();
    bool dailyLoaded = m_feed->fetch(at.history, body, &why);
    if (dailyLoaded) {
        QCoreApplication::processEvents();
        dailyLoaded = m_feed->readHistory(body, m_history, &why);
    }
    if (!dailyLoaded)
        failed(at.history, why);
    m_lastFailure = failures.join(u'\n');

    // The refresh is over before the message is shown: refreshes started
    // while it is open run normally, they only do not stack a second one.
    setRefreshing(false);
    showAge();
    if (!dailyLoaded || implausible) {
        reportFailure(dailyLoaded ? failures.front() : failures.back());
    } else {
        m_outageSince = QDateTime();
        setFeedStatus(QString());
    }
}

// Captions show the text as delivered; the numbers go into the working
// values and the outdoor fields (whose change procedures recompute) only
// when the text is a number.
void Session::applyCurrent(const CurrentReading& r) {
    const QString& v = r.text;
    // In SI the outdoor fields take the station's F in C.
    auto number = [&v, this](float& store, Field field) {
        if (const auto x = numberOf(v)) {
            store = *x; // first: the field's change procedure may read it
            changeText(field,
                       field == Field::txtOutdoorRH ? psychro::NumTextSingle(*x) : outdoorText(*x));
        }
    };
    psychro::WorkingInputs& in = m_chart.in;
    switch (r.element) {
    case CurrentElement::TempF:
        m_panel.lblTempF = caption(QStringLiteral("Temperature: "), v, QStringLiteral(" deg F"));
        emit livePanelChanged();
        number(in.gTemperature, Field::txtOutdoorTemp);
        break;
    case CurrentElement::TempC:
        m_panel.lblTempC = caption(QStringLiteral(" "), v, QStringLiteral(" deg C"));
        emit livePanelChanged();
        break;
    case CurrentElement::RelativeHumidity:
        m_panel.lblRH = caption(QStringLiteral("Relative Humidity: "), v, QStringLiteral(" %"));
        emit livePanelChanged();
        number(in.gORH, Field::txtOutdoorRH);
        break;
    case CurrentElement::DewPointF:
        m_panel.lblDewF = caption(QStringLiteral("Dew Point: "), v, QStringLiteral(" deg F"));
        emit livePanelChanged();
        number(in.gDewPoint, Field::txtOutdoorDew);
        break;
    case CurrentElement::DewPointC:
        m_panel.lblDewC = caption(QStringLiteral(" "), v, QStringLiteral(" deg C"));
        emit livePanelChanged();
        break;
    case CurrentElement::PressurePa:
        if (const auto x = numberOf(v)) {
            m_stationPressurePa = *x;
            emit methodChanged();
        }
        break;
    case CurrentElement::Time: {
        // Shown in the local time of the offset setting, whichever source
        // it came from; as delivered when it is not a time.
        QDateTime t = QDateTime::fromString(v.trimmed(), Qt::RFC2822Date);
        if (!t.isValid())
            t = QDateTime::fromString(v.trimmed(), Qt::ISODate);
        m_observedAt = t;
        m_panel.lblTime = t.isValid() ? rfc822Time(local(t)) : caption(QString(), v, QString());
        emit livePanelChanged();
        break;
    }
    }
}

void Session::setTitleBlock(const TitleBlock& title) {
    if (m_title == title)
        return;
    m_title = title;
    emit titleBlockChanged();
}

void Session::reportFailure(const QString& what) {
    // The user who went back to manual entry meanwhile is not told about a
    // station they no longer look at.
    if (!m_liveFeed)
        return;
    // One message an outage: later failures of the same outage only keep
    // the status up to date. One message at a time as well.
    const bool first = !m_outageSince.isValid();
    if (first)
        m_outageSince = now();
    setFeedStatus(QStringLiteral("station unreachable since %1")
                      .arg(local(m_outageSince).toString(QStringLiteral("HH:mm"))));
    if (!first || m_messageOpen)
        return;
    m_messageOpen = true;
    emit message(QStringLiteral("Failed to Load Data\n") + what);
    m_messageOpen = false;
}

void Session::setFeedStatus(const QString& status) {
    if (m_feedStatus == status)
        return;
    m_feedStatus = status;
    emit feedStatusChanged();
}

QDateTime Session::now() const {
    return m_now.isValid() ? m_now.toUTC() : QDateTime::currentDateTimeUtc();
}

QDateTime Session::local(const QDateTime& t) const {
    return t.toOffsetFromUtc(-int(m_settings.gGMTOffset) * 3600);
}

void Session::showAge() {
    if (!m_observedAt.isValid())
        return;
    const qint64 minutes = m_observedAt.secsTo(now()) / 60;
    QString age;
    if (minutes < 1)
        age = QStringLiteral("observed just now");
    else if (minutes < 60)
        age = QStringLiteral("observed %1 min ago").arg(minutes);
    else if (minutes < 48 * 60)
        age = QStringLiteral("observed %1 h %2 min ago").arg(minutes / 60).arg(minutes % 60);
    else
        age = QStringLiteral("observed %1 days ago").arg(minutes / (24 * 60));
    if (m_panel.lblAge != age) {
        m_panel.lblAge = age;
        emit livePanelChanged();
    }
}

} // namespace model
