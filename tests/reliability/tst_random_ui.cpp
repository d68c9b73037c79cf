// A long random session on one shown main window: whatever an engineer
// might type, click or leave running, in any order, with the live feed
// switched on and off against a local station. After every step the window
// must still show a consistent, sensible sheet.
//
// The session is reproducible: the seed is printed, QUORVEL_FUZZ_SEED
// replays it, QUORVEL_FUZZ_STEPS fixes the number of steps and
// QUORVEL_FUZZ_SECONDS the time budget (the session stops at whichever
// limit comes first). A failure prints the seed and the steps that led to it.

#include "app/form1.h"
#include "feed/live_refresh.h"
#include "feed/xml_feed_dialog.h"
#include "psychro/sheet.h"
#include "test_http_server.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QNetworkProxy>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "under_asan.h"

using psychro::Field;

namespace {

constexpr quint64 kDefaultSeed = 20240611;
constexpr int kDefaultMaxSteps = 60000;
#ifdef QUORVEL_UNDER_ASAN
constexpr int kDefaultSeconds = 90;
#else
constexpr int kDefaultSeconds = 50;
#endif
// A step that takes longer than this is a hang: the session is aborted
// with its log, since a hung step never comes back to report.
constexpr int kHangMs = 30000;
// Any step but a live refresh must finish well within this (ms).
constexpr int kSlowStepMs = 8000;
// Fetch timeout set on the window's refresher, ms; a waiting station
// costs two of these per refresh.
constexpr int kFetchTimeoutMs = 400;

quint64 envNumber(const char* name, quint64 fallback) {
    bool ok = false;
    const quint64 v = qEnvironmentVariable(name).toULongLong(&ok, 0);
    return ok ? v : fallback;
}

const QString kCurrentPath = QStringLiteral("/current.xml");
const QString kDailyPath = QStringLiteral("/daily.xml");

// Aborts the process with the session's seed and the step in progress when
// one step runs for more than kHangMs: a hung window cannot report itself.
class Watchdog {
public:
    explicit Watchdog(quint64 seed) : m_seed(seed), m_thread([this] { run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void stepStarted(int step, const QString& what) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_step = step;
        m_what = what.left(300).toStdString();
        m_started = std::chrono::steady_clock::now();
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            m_wake.wait_for(lock, std::chrono::seconds(1));
            if (m_step >= 0 &&
                std::chrono::steady_clock::now() - m_started > std::chrono::milliseconds(kHangMs)) {
                std::fprintf(stderr,
                             "HANG: step %d did not return within %d ms (seed %llu): %s\n"
                             "Replay with QUORVEL_FUZZ_SEED=%llu QUORVEL_FUZZ_STEPS=%d\n",
                             m_step, kHangMs, static_cast<unsigned long long>(m_seed),
                             m_what.c_str(), static_cast<unsigned long long>(m_seed), m_step + 1);
                std::fflush(stderr);
                std::abort();
            }
        }
    }

    quint64 m_seed;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    int m_step = -1;
    std::string m_what;
    std::chrono::steady_clock::time_point m_started;
    std::thread m_thread;
};

// Shape of each derived field's text as its display pattern writes it.
struct FieldShape {
    Field field;
    const char* pattern;
};

const char* const kWholeNumber = R"(^-?\d+$)";                  // "##0", "#0"
const char* const kTwoDecimals = R"(^-?\d+\.\d{2}$)";           // "#0.00", "##0.00"
const char* const kRatio = R"(^-?\d*\.\d{5}$)";                 // ".00000"
const char* const kGrouped = R"(^-?\d{1,3}(,\d{3})*$)";         // "#,##0"
const char* const kGrouped2 = R"(^-?\d{1,3}(,\d{3})*\.\d{2}$)"; // "#,##0.00"
const char* const kTwoDigits = R"(^-?\d{2,}$)";                 // "00"

const FieldShape kShapes[] = {
    {Field::txtMixedTemp, kWholeNumber},      {Field::txtOutdoorDew, kWholeNumber},
    {Field::txtReturnDew, kWholeNumber},      {Field::txtSupplyDew, kWholeNumber},
    {Field::txtMixedDew, kWholeNumber},       {Field::txtOutDoorWetBulb, kWholeNumber},
    {Field::txtReturnWetBulb, kWholeNumber},  {Field::txtSupplyWetBulb, kWholeNumber},
    {Field::txtMixedWetBulb, kWholeNumber},   {Field::txtOutdoorRatio, kRatio},
    {Field::txtReturnRatio, kRatio},          {Field::txtSupplyRatio, kRatio},
    {Field::txtMixedRatio, kRatio},           {Field::txtOutdoorEnthalpy, kTwoDecimals},
    {Field::txtReturnEnthalpy, kTwoDecimals}, {Field::txtSupplyEnthalpy, kTwoDecimals},
    {Field::txtMixedEnthalpy, kTwoDecimals},  {Field::txtOutdoorSpVol, kTwoDecimals},
    {Field::txtReturnSpVol, kTwoDecimals},    {Field::txtSupplySpVol, kTwoDecimals},
    {Field::txtMixedSpVol, kTwoDecimals},     {Field::txtOutdoorFlow, kWholeNumber},
    {Field::txtOutdoorMass, kWholeNumber},    {Field::txtReturnMass, kWholeNumber},
    {Field::txtSupplyMass, kWholeNumber},     {Field::txtLoad, kGrouped},
    {Field::txtCondensate, kGrouped2},        {Field::txtMixedRH, kTwoDigits},
};

// Plain number text: at most 15 significant digits, optionally with an
// exponent ("4500", "4500.5", "1.5E-05").
bool isPlainNumber(const QString& t) {
    static const QRegularExpression re(QStringLiteral(R"(^-?(\d+)(?:\.(\d+))?(?:E[+-]\d+)?$)"));
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch())
        return false;
    QString digits = m.captured(1) + m.captured(2);
    while (digits.startsWith(u'0'))
        digits.remove(0, 1);
    return digits.size() <= 15;
}

// A text for the step log: short, with its blanks visible.
QString shown(const QString& s) {
    QString t = s.left(40);
    t.replace(u'\t', QStringLiteral("\\t"));
    t.replace(u'\n', QStringLiteral("\\n"));
    // One multi-argument arg(): typed text may itself contain "%1".
    return s.size() > 40 ? QStringLiteral("'%1...'(%2 chars)").arg(t, QString::number(s.size()))
                         : QStringLiteral("'%1'").arg(t);
}

bool nonFinite(const QString& t) {
    return t.contains(QLatin1String("nan"), Qt::CaseInsensitive) ||
           t.contains(QLatin1String("inf"), Qt::CaseInsensitive);
}

// Current conditions with the elements the window reads, each value
// picked from what a station (or a broken one) might send.
QByteArray currentDocument(const QString& tempF, const QString& rh, const QString& dewF) {
    return QStringLiteral("<?xml version=\"1.0\"?>\n<current_observation>"
                          "<observation_time_rfc822>Thu, 10 Aug 2023 23:53:00 -0500"
                          "</observation_time_rfc822><temp_f>%1</temp_f><temp_c>35.6</temp_c>"
                          "<relative_humidity>%2</relative_humidity><dewpoint_f>%3</dewpoint_f>"
                          "<dewpoint_c>18.9</dewpoint_c></current_observation>\n")
        .arg(tempF, rh, dewF)
        .toUtf8();
}

QByteArray dailyDocument(int observations, std::mt19937_64& rng) {
    QByteArray doc = "<?xml version=\"1.0\"?>\n<WXDailyHistory>";
    for (int i = 0; i < observations; ++i) {
        const int minutes = i * 20;
        doc += "<observation><observation_time_rfc822>Thu, 10 Aug 2023 " +
               QByteArray::number(minutes / 60 % 24).rightJustified(2, '0') + ':' +
               QByteArray::number(minutes % 60).rightJustified(2, '0') +
               ":00 -0500</observation_time_rfc822><temp_f>" +
               QByteArray::number(int(rng() % 140) - 30) + "</temp_f><dewpoint_f>" +
               QByteArray::number(int(rng() % 100) - 20) + "</dewpoint_f></observation>";
    }
    return doc + "</WXDailyHistory>\n";
}

} // namespace

class TestRandomUi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    void randomSessionKeepsTheWindowSound();

private:
    // --- the session -----------------------------------------------------
    std::mt19937_64 m_rng;
    quint64 m_seed = 0;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<app::Form1> m_form;
    std::unique_ptr<Watchdog> m_watchdog;
    std::vector<QString> m_log;
    QHash<QLineEdit*, QString> m_typed;   // last text the session put into each input
    QList<QLineEdit*> m_typedDuringFetch; // inputs that got keys posted for during a fetch
    QStringList m_messages;
    int m_messageDepth = 0;
    int m_maxMessageDepth = 0;
    bool m_dailyBad = false; // the station's history answers with an error
    int m_dialogAction = 0;  // what the stand-in user does in the feed dialog
    int m_ticks = 0;         // animation timer ticks seen
    int m_refreshes = 0;
    int m_step = 0;
    bool m_failed = false;
    bool m_fetchedThisStep = false; // the step asked the station
    QList<QLineEdit*> m_inputs;     // the eight input fields
    QString m_flowAtRedraw;         // txtSupplyFlow as the last redraw read it
    bool m_flowAtRedrawKnown = false;

    // --- random helpers --------------------------------------------------
    int below(int n) { return int(m_rng() % quint64(n)); }
    bool chance(int percent) { return below(100) < percent; }
    QString numberText();
    QString soupText(bool asciiOnly);
    QString randomText();
    QString shortKeys();
    QLineEdit* randomInput();

    // --- steps -----------------------------------------------------------
    void note(const QString& what);
    void stepSetText();
    void stepType();
    void stepFocus();
    void stepLostFocusHandler();
    void stepSliderMove();
    void stepToggleLock();
    void stepCity();
    void stepMode();
    void stepTick();
    void stepWait();
    void stepTimer1();
    void stepLiveSwitch();
    void stepFeedDialog();
    void stepSensibleState();
    void prepareStation();
    void postEventsForDuringFetch();
    void runRefreshingStep(const std::function<void()>& action, bool refreshes);

    // --- checks ----------------------------------------------------------
    QString violations() const;
    QString physicsViolations() const;
    void failWith(const QString& why);

protected:
    // A redraw starts by showing the hourglass; the supply flow it copies is
    // the one shown at that moment.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_form && watched == m_form.get() && event->type() == QEvent::CursorChange &&
            m_form->testAttribute(Qt::WA_SetCursor) && m_form->cursor().shape() == Qt::WaitCursor) {
            m_flowAtRedraw = m_form->txtSupplyFlow->text();
            m_flowAtRedrawKnown = true;
        }
        return false;
    }
};

// --- random text -----------------------------------------------------------

QString TestRandomUi::numberText() {
    switch (below(6)) {
    case 0:
        return QString::number(below(2001) - 1000);
    case 1: {
        const double v = (double(m_rng() % 2000001) - 1000000.0) / std::pow(10.0, below(7));
        return QString::number(v, 'f', below(7));
    }
    case 2: // magnitudes from far below to far beyond double range
        return QStringLiteral("%1%2e%3")
            .arg(chance(30) ? QStringLiteral("-") : QString())
            .arg(below(10))
            .arg(below(801) - 400);
    case 3:
        return QString::number(below(101)); // a sensible RH or share
    case 4:
        return QString::number(below(1101) / 10.0, 'f', 1);
    default:
        return QString::number(below(20001)); // a flow
    }
}

QString TestRandomUi::soupText(bool asciiOnly) {
    static const QString ascii = QStringLiteral("0123456789..--++eEdD,, \t abxXnNiIfF%$#");
    static const QString wide = QStringLiteral("\u0663\u0665\u00bd\u6e29\u00c4\u00a0\u2212\u066b");
    const int n = 1 + below(12);
    QString s;
    for (int i = 0; i < n; ++i) {
        if (!asciiOnly && chance(15))
            s += wide[below(int(wide.size()))];
        else
            s += ascii[below(int(ascii.size()))];
    }
    return s;
}

QString TestRandomUi::randomText() {
    // '|' separates the entries; the empty one is an empty field.
    static const QStringList special =
        QStringLiteral("1e400|-1e400|1e-400|-1e-400|-0|0|-0.0|nan|NaN|-nan|inf|-inf|Infinity|"
                       "1e38|3.4e38|3.5e38|1e39|-1e39|1.7976931348623157e308|1.8e308|4.9e-324|"
                       "1D400|1d-400|2.5E+2|6,000|1,000,000.5|6.000,5|1 5| 42 |\t7\n|| |abc|"
                       "12abc|.|-|+|e5|1e|1e+|--5|0x1F|1..2|100|100.0001|99.9999|1|0.9999|101|"
                       "-100|-459.67|120|35|34.99|112|0.00001|\u0663\u0665|\u6e29\u5ea6|"
                       "\u00c4rger|\u00bd|\U0001F600|\u22125|\u00a042")
            .split(u'|');
    switch (below(10)) {
    case 0:
    case 1:
    case 2:
        return special[below(int(special.size()))];
    case 3:
    case 4:
    case 5:
        return numberText();
    case 6:
    case 7:
        return soupText(false);
    case 8: // a number wrapped in junk
        return soupText(true).left(2) + numberText() + soupText(false).left(3);
    default: { // 5,000 characters
        switch (below(5)) {
        case 0:
            return QString(5000, QLatin1Char(char('0' + below(10))));
        case 1:
            return QStringLiteral("1") + QString(4999, u'0');
        case 2:
            return QStringLiteral("0.") + QString(4997, u'0') + QStringLiteral("1");
        case 3:
            return QStringLiteral("-") + QString(4999, u'9');
        default: {
            QString s;
            while (s.size() < 5000)
                s += soupText(false);
            return s.left(5000);
        }
        }
    }
    }
}

// What a user types with the keyboard: short, Latin-1 only (the key
// events carry one Latin-1 character each).
QString TestRandomUi::shortKeys() {
    return (chance(60) ? numberText() : soupText(true)).left(1 + below(6));
}

QLineEdit* TestRandomUi::randomInput() {
    return m_inputs[below(int(m_inputs.size()))];
}

// --- steps -------------------------------------------------------------------

void TestRandomUi::note(const QString& what) {
    m_log.push_back(what);
    m_watchdog->stepStarted(m_step, what);
}

void TestRandomUi::stepSetText() {
    QLineEdit* e = randomInput();
    if (!e->isEnabled()) // a user cannot put text into a disabled field
        e = m_form->txtReturnTemp;
    const QString text = randomText();
    note(QStringLiteral("setText %1 %2").arg(e->objectName(), shown(text)));
    m_typed[e] = text;
    e->setText(text);
}

void TestRandomUi::stepType() {
    QLineEdit* e = randomInput();
    const QString keys = shortKeys();
    const bool replace = chance(50);
    const int backspaces = chance(30) ? 1 + below(3) : 0;
    note(QStringLiteral("type into %1 %2%3%4")
             .arg(e->objectName(), shown(keys), replace ? QStringLiteral(" over all") : QString(),
                  backspaces ? QStringLiteral(" then %1 backspaces").arg(backspaces) : QString()));
    const QString before = e->text();
    const bool enabled = e->isEnabled();
    if (enabled) {
        e->setFocus(Qt::MouseFocusReason);
        if (replace)
            e->selectAll();
    }
    QTest::keyClicks(e, keys);
    for (int i = 0; i < backspaces; ++i)
        QTest::keyClick(e, Qt::Key_Backspace);
    if (!enabled && e->text() != before)
        failWith(QStringLiteral("typing changed the disabled field %1 from %2 to %3")
                     .arg(e->objectName(), shown(before), shown(e->text())));
    if (enabled)
        m_typed[e] = e->text();
}

void TestRandomUi::stepFocus() {
    const int pick = below(int(m_inputs.size()) + 1);
    QWidget* w = pick < m_inputs.size() ? static_cast<QWidget*>(m_inputs[pick])
                                        : static_cast<QWidget*>(m_form->cmdPrint);
    note(QStringLiteral("focus to %1").arg(w->objectName()));
    w->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

void TestRandomUi::stepLostFocusHandler() {
    inputs::InputHandlers& h = m_form->inputHandlers();
    switch (below(5)) {
    case 0:
        note(QStringLiteral("txtOutdoorRH_LostFocus"));
        h.txtOutdoorRH_LostFocus();
        break;
    case 1:
        note(QStringLiteral("txtReturnRH_LostFocus"));
        h.txtReturnRH_LostFocus();
        break;
    case 2:
        note(QStringLiteral("txtSupplyRH_LostFocus"));
        h.txtSupplyRH_LostFocus();
        break;
    case 3:
        note(QStringLiteral("txtSupplyFlow_LostFocus"));
        h.txtSupplyFlow_LostFocus();
        break;
    default:
        note(QStringLiteral("txtFreshMix_LostFocus"));
        h.txtFreshMix_LostFocus();
        break;
    }
}

void TestRandomUi::stepSliderMove() {
    QWidget* track = m_form->SliderBackGrnd;
    // Beyond both ends too, and between pixels.
    const double x = -30.0 + double(m_rng() % 100000) / 100000.0 * (track->width() + 60);
    const double y = double(below(track->height()));
    note(QStringLiteral("mouse move over the track at %1 (%2)")
             .arg(x)
             .arg(m_form->freshAirSlider().SliderEnabled ? QStringLiteral("unlocked")
                                                         : QStringLiteral("locked")));
    const QPointF local(x, y);
    QMouseEvent move(QEvent::MouseMove, local, track->mapToGlobal(local), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(track, &move);
}

void TestRandomUi::stepToggleLock() {
    if (chance(50)) {
        note(QStringLiteral("click the lock"));
        QTest::mouseClick(m_form->Image1, Qt::LeftButton);
    } else {
        note(QStringLiteral("double-click the knob"));
        QTest::mouseDClick(m_form->slider, Qt::LeftButton);
    }
}

void TestRandomUi::stepCity() {
    if (m_form->LiveFeed) { // the list is hidden in live mode
        stepTick();
        return;
    }
    const int row = below(inputs::CityCount);
    note(QStringLiteral("city row %1").arg(row));
    m_form->designCities().selectRow(row);
    m_typed.remove(m_form->txtOutdoorTemp);
    m_typed.remove(m_form->txtOutdoorRH);
}

void TestRandomUi::stepMode() {
    const int i = below(2);
    note(QStringLiteral("operation %1").arg(i));
    m_form->OptCoolHeat[size_t(i)]->click();
    m_typed.remove(m_form->txtOutdoorTemp);
    m_typed.remove(m_form->txtOutdoorRH);
}

void TestRandomUi::stepTick() {
    note(QStringLiteral("animation tick"));
    QMetaObject::invokeMethod(m_form->Timer2, "timeout", Qt::DirectConnection);
}

void TestRandomUi::stepWait() {
    const int ms = below(25);
    note(QStringLiteral("event loop for %1 ms").arg(ms));
    QTest::qWait(ms);
}

// The station's answers for the next refresh.
void TestRandomUi::prepareStation() {
    m_fetchedThisStep = true;
    static const QStringList temps =
        QStringLiteral("96.0|-40|0|120|1e39|abc||-0|72.5|200|-200|1e-45| 85 ").split(u'|');
    static const QStringList rhs =
        QStringLiteral("37|100|0|150|-5|1e-50|50.5|x|1|99.99").split(u'|');
    static const QStringList dews = QStringLiteral("66.0|-100|1e39|?|30").split(u'|');
    const QString t = temps[below(int(temps.size()))];
    const QString r = rhs[below(int(rhs.size()))];
    const QString d = dews[below(int(dews.size()))];
    m_server->serve(kCurrentPath, currentDocument(t, r, d));
    m_dailyBad = chance(20);
    if (m_dailyBad)
        m_server->serve(kDailyPath, "<html>busy</html>", 500);
    else
        m_server->serve(kDailyPath, dailyDocument(below(4) == 0 ? 600 : below(40), m_rng));
    m_log.back() += QStringLiteral(" [station: temp_f %1, RH %2, dew %3, history %4]")
                        .arg(shown(t), shown(r), shown(d),
                             m_dailyBad ? QStringLiteral("HTTP 500") : QStringLiteral("ok"));
}

// Input that arrives while the station is being waited for: it is handled
// inside the fetch's event loop.
void TestRandomUi::postEventsForDuringFetch() {
    if (!chance(50))
        return;
    const int n = 1 + below(5);
    for (int i = 0; i < n; ++i) {
        if (chance(50)) {
            // Not the outdoor fields: what the refresh writes there is
            // checked as the program's own text.
            QLineEdit* e = m_inputs[2 + below(int(m_inputs.size()) - 2)];
            const QString key = QString(QChar(u"0123456789.-e"[below(13)]));
            QCoreApplication::postEvent(
                e, new QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key));
            QCoreApplication::postEvent(
                e, new QKeyEvent(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, key));
            m_log.back() +=
                QStringLiteral(" [during fetch: key %1 to %2]").arg(key, e->objectName());
            m_typedDuringFetch << e;
        } else {
            QWidget* track = m_form->SliderBackGrnd;
            const QPointF local(below(track->width()), 5);
            QCoreApplication::postEvent(
                track, new QMouseEvent(QEvent::MouseMove, local, track->mapToGlobal(local),
                                       Qt::NoButton, Qt::NoButton, Qt::NoModifier));
            m_log.back() += QStringLiteral(" [during fetch: track move to %1]").arg(local.x());
        }
    }
}

// Runs a step that may refresh the live feed and checks what a refresh
// owes: it ends in bounded time and reports a bad history exactly once.
void TestRandomUi::runRefreshingStep(const std::function<void()>& action, bool refreshes) {
    const qsizetype messagesBefore = m_messages.size();
    QElapsedTimer clock;
    clock.start();
    action();
    const qint64 ms = clock.elapsed();
    for (QLineEdit* e : std::as_const(m_typedDuringFetch))
        m_typed[e] = e->text();
    m_typedDuringFetch.clear();
    if (!refreshes)
        return;
    // From here on the outdoor fields hold what the program wrote.
    m_typed.remove(m_form->txtOutdoorTemp);
    m_typed.remove(m_form->txtOutdoorRH);
    ++m_refreshes;
    // Two fetches, each bounded by the timeout, plus the redraws.
    if (ms > 2 * kFetchTimeoutMs + 5000) {
        failWith(QStringLiteral("a refresh took %1 ms").arg(ms));
        return;
    }
    const qsizetype expected = m_dailyBad ? 1 : 0;
    if (m_messages.size() - messagesBefore != expected)
        failWith(QStringLiteral("a refresh with history %1 showed %2 messages")
                     .arg(m_dailyBad ? QStringLiteral("failing") : QStringLiteral("ok"))
                     .arg(m_messages.size() - messagesBefore));
}

void TestRandomUi::stepTimer1() {
    note(QStringLiteral("Timer1 tick (%1)")
             .arg(m_form->LiveFeed ? QStringLiteral("live") : QStringLiteral("manual")));
    const bool live = m_form->LiveFeed;
    if (live) {
        prepareStation();
        postEventsForDuringFetch();
    }
    runRefreshingStep([this] { m_form->Timer1_Timer(); }, live);
}

void TestRandomUi::stepLiveSwitch() {
    if (!m_form->LiveFeed) {
        note(QStringLiteral("click Live Feed"));
        prepareStation();
        postEventsForDuringFetch();
        runRefreshingStep([this] { m_form->OptLive[0]->click(); }, true);
    } else {
        note(QStringLiteral("click Manual Entry"));
        runRefreshingStep([this] { m_form->OptLive[1]->click(); }, false);
    }
}

void TestRandomUi::stepFeedDialog() {
    m_dialogAction = below(3);
    static const char* const what[] = {"OK with a new offset", "Set to Default, retype, OK",
                                       "close"};
    note(QStringLiteral("XML Setup: %1 (%2)")
             .arg(QLatin1String(what[m_dialogAction]),
                  m_form->LiveFeed ? QStringLiteral("live") : QStringLiteral("manual")));
    const bool live = m_form->LiveFeed;
    if (live)
        prepareStation();
    runRefreshingStep([this] { m_form->cmdLiveSet->click(); }, live);
}

// An ordinary design case, typed in full and confirmed, so that the sheet
// can be held to the physics of moist air.
void TestRandomUi::stepSensibleState() {
    const int temps[3] = {40 + below(71), 40 + below(71), 40 + below(71)};
    const int rhs[3] = {5 + below(91), 5 + below(91), 5 + below(91)};
    const int flow = 500 + below(19501);
    const int share = below(101);
    note(QStringLiteral("design case: outdoor %1 F %2 %, return %3 F %4 %, supply %5 F %6 %, "
                        "%7 CFM, %8 % fresh air")
             .arg(temps[0])
             .arg(rhs[0])
             .arg(temps[1])
             .arg(rhs[1])
             .arg(temps[2])
             .arg(rhs[2])
             .arg(flow)
             .arg(share));
    app::Form1& f = *m_form;
    auto put = [this](QLineEdit* e, int v) {
        if (!e->isEnabled())
            return;
        m_typed[e] = QString::number(v);
        e->setText(QString::number(v));
    };
    put(f.txtOutdoorTemp, temps[0]);
    put(f.txtOutdoorRH, rhs[0]);
    put(f.txtReturnTemp, temps[1]);
    put(f.txtReturnRH, rhs[1]);
    put(f.txtSupplyTemp, temps[2]);
    put(f.txtSupplyRH, rhs[2]);
    put(f.txtSupplyFlow, flow);
    put(f.txtFreshMix, share);
    inputs::InputHandlers& h = f.inputHandlers();
    h.txtSupplyFlow_LostFocus();
    h.txtFreshMix_LostFocus();
    const QString v = physicsViolations();
    if (!v.isEmpty())
        failWith(v);
}

// --- checks ------------------------------------------------------------------

// What any psychrometric sheet must satisfy for ordinary air (35 to 120 F,
// some moisture), to the resolution of the display patterns: dew point <=
// wet bulb <= dry bulb, a specific volume near that of air, the standard
// enthalpy, the mixed state between its two sources, and the flow, mass,
// load and condensate arithmetic.
QString TestRandomUi::physicsViolations() const {
    const app::Form1& f = *m_form;
    if (m_form->chartState().InterpFailed)
        return QString(); // the sheet says itself that it has no values
    auto num = [&f](Field fl) {
        bool ok = false;
        QString t = f.field(fl)->text();
        t.remove(u',');
        const double v = t.toDouble(&ok);
        return ok ? v : std::nan("");
    };
    // Live mode may have brought something unusual outdoors.
    for (Field t : {Field::txtOutdoorTemp, Field::txtReturnTemp, Field::txtSupplyTemp})
        if (!(num(t) >= 35 && num(t) <= 120))
            return QString();
    for (Field rh : {Field::txtOutdoorRH, Field::txtReturnRH, Field::txtSupplyRH})
        if (!(num(rh) >= 5 && num(rh) <= 95))
            return QString();
    QStringList bad;
    struct State {
        const char* name;
        Field t, dew, wb, w, h, v;
    };
    const State states[] = {
        {"outdoor", Field::txtOutdoorTemp, Field::txtOutdoorDew, Field::txtOutDoorWetBulb,
         Field::txtOutdoorRatio, Field::txtOutdoorEnthalpy, Field::txtOutdoorSpVol},
        {"return", Field::txtReturnTemp, Field::txtReturnDew, Field::txtReturnWetBulb,
         Field::txtReturnRatio, Field::txtReturnEnthalpy, Field::txtReturnSpVol},
        {"supply", Field::txtSupplyTemp, Field::txtSupplyDew, Field::txtSupplyWetBulb,
         Field::txtSupplyRatio, Field::txtSupplyEnthalpy, Field::txtSupplySpVol},
        {"mixed", Field::txtMixedTemp, Field::txtMixedDew, Field::txtMixedWetBulb,
         Field::txtMixedRatio, Field::txtMixedEnthalpy, Field::txtMixedSpVol},
    };
    for (const State& s : states) {
        const double t = num(s.t), dew = num(s.dew), wb = num(s.wb), w = num(s.w), v = num(s.v);
        const QString name = QLatin1String(s.name);
        // Whole-degree fields: one degree of rounding either way. The chart
        // tabulates saturation up to an 85 F dew point (a humidity ratio of
        // about .026) and reads higher ones off a chord through the origin,
        // so the ordering is only held where the table reaches. Mixing two
        // airs along a straight line can end beyond saturation (fog), so it
        // does not hold for the mixed state either.
        const bool mixed = s.t == Field::txtMixedTemp;
        if (w <= 0.025 && !mixed && !(dew <= wb + 1 && wb <= t + 1))
            bad << QStringLiteral("%1: dew point %2, wet bulb %3, dry bulb %4")
                       .arg(name)
                       .arg(dew)
                       .arg(wb)
                       .arg(t);
        if (!(w > 0 && w < 0.04))
            bad << QStringLiteral("%1: humidity ratio %2").arg(name).arg(w);
        // 0.3705 (T + 459.67) (1 + 1.608 W) / 14.696 is 12.4 to 15.5 here.
        if (!(v >= 12.2 && v <= 15.7))
            bad << QStringLiteral("%1: specific volume %2").arg(name).arg(v);
        if (!mixed) {
            const double h = num(s.h);
            const double want = 0.24 * t + w * (1061.0 + 0.444 * t);
            if (!(std::abs(h - want) <= 0.02))
                bad << QStringLiteral("%1: enthalpy %2, %3 expected").arg(name).arg(h).arg(want);
        }
    }
    auto between = [](double x, double a, double b, double slack) {
        return x >= std::min(a, b) - slack && x <= std::max(a, b) + slack;
    };
    if (!between(num(Field::txtMixedTemp), num(Field::txtReturnTemp), num(Field::txtOutdoorTemp),
                 1))
        bad << QStringLiteral("mixed temperature outside return..outdoor");
    if (!between(num(Field::txtMixedRatio), num(Field::txtReturnRatio), num(Field::txtOutdoorRatio),
                 0.00002))
        bad << QStringLiteral("mixed humidity ratio outside return..outdoor");
    if (!between(num(Field::txtMixedEnthalpy), num(Field::txtReturnEnthalpy),
                 num(Field::txtOutdoorEnthalpy), 0.02))
        bad << QStringLiteral("mixed enthalpy outside return..outdoor");

    const double flow = num(Field::txtSupplyFlow);
    const double share = num(Field::txtFreshMix) / 100;
    const double outFlow = num(Field::txtOutdoorFlow);
    if (!(std::abs(outFlow - share * flow) <= 1))
        bad << QStringLiteral("outdoor flow %1 of %2 CFM at %3").arg(outFlow).arg(flow).arg(share);
    if (num(Field::txtReturnFlow) != flow - outFlow)
        bad << QStringLiteral("return flow %1").arg(num(Field::txtReturnFlow));
    const Field masses[3][3] = {
        {Field::txtOutdoorMass, Field::txtOutdoorFlow, Field::txtOutdoorSpVol},
        {Field::txtReturnMass, Field::txtReturnFlow, Field::txtReturnSpVol},
        {Field::txtSupplyMass, Field::txtSupplyFlow, Field::txtSupplySpVol}};
    for (const auto& m : masses)
        if (!(std::abs(num(m[0]) - num(m[1]) * 60 / num(m[2])) <= 0.51))
            bad << QStringLiteral("%1 is %2")
                       .arg(QLatin1String(psychro::fieldName(m[0])), f.field(m[0])->text());
    const double mixedMass = num(Field::txtMixedMass);
    if (share > 0 && mixedMass != num(Field::txtOutdoorMass) + num(Field::txtReturnMass))
        bad << QStringLiteral("mixed mass %1").arg(mixedMass);
    const double load = num(Field::txtLoad);
    const double wantLoad =
        flow * 4.5 * (num(Field::txtMixedEnthalpy) - num(Field::txtSupplyEnthalpy));
    if (!(std::abs(load - wantLoad) <= 1))
        bad << QStringLiteral("load %1, %2 expected").arg(load).arg(wantLoad);
    const double condensate = num(Field::txtCondensate);
    const double wantCondensate =
        flow * 0.075 * (num(Field::txtMixedRatio) - num(Field::txtSupplyRatio)) / 8.33;
    if (!(std::abs(condensate - wantCondensate) <= 0.0051))
        bad << QStringLiteral("condensate %1, %2 expected").arg(condensate).arg(wantCondensate);
    if (!bad.isEmpty()) {
        QStringList sheet;
        for (int i = 0; i < psychro::FieldCount; ++i)
            sheet << QStringLiteral("%1=%2").arg(QLatin1String(psychro::fieldName(Field(i))),
                                                 f.field(Field(i))->text());
        bad << QStringLiteral("sheet: ") + sheet.join(u' ');
    }
    return bad.join(QStringLiteral("; "));
}

QString TestRandomUi::violations() const {
    QStringList bad;
    const app::Form1& f = *m_form;

    // No text of the window shows a non-finite number. What the session
    // typed itself is exempt, and so is the mixed flow, the typed supply
    // flow's verbatim copy (checked below); anything else the program
    // wrote is not.
    for (QLineEdit* e : f.findChildren<QLineEdit*>()) {
        if ((m_typed.contains(e) && m_typed.value(e) == e->text()) || e == f.txtMixedFlow)
            continue;
        if (nonFinite(e->text()))
            bad << QStringLiteral("%1 shows %2").arg(e->objectName(), shown(e->text()));
    }
    for (QLabel* l : f.findChildren<QLabel*>())
        if (nonFinite(l->text()))
            bad << QStringLiteral("label %1 shows %2").arg(l->objectName(), shown(l->text()));

    // Derived fields: empty, or a number in their display pattern's form.
    for (const FieldShape& s : kShapes) {
        QLineEdit* e = f.field(s.field);
        if (!e->isVisibleTo(&f) || e->text().isEmpty())
            continue;
        const QRegularExpression re(QLatin1String(s.pattern));
        if (!re.match(e->text()).hasMatch())
            bad << QStringLiteral("%1 shows %2, not in its display form")
                       .arg(e->objectName(), shown(e->text()));
    }
    // Plain number text; at 0 % fresh air the mixed mass is instead the
    // return mass's text, copied.
    static const QRegularExpression whole{QLatin1String(kWholeNumber)};
    for (Field pf : {Field::txtReturnFlow, Field::txtMixedMass}) {
        const QString t = f.field(pf)->text();
        const bool copied = pf == Field::txtMixedMass && m_form->chartState().in.gAirRate == 0.0f &&
                            whole.match(t).hasMatch();
        if (f.field(pf)->isVisibleTo(&f) && !t.isEmpty() && !isPlainNumber(t) && !copied)
            bad << QStringLiteral("%1 shows %2, not a plain number")
                       .arg(QLatin1String(psychro::fieldName(pf)), shown(t));
    }
    // Typing a flow redraws nothing, so the copy follows the flow as it was
    // at the last redraw.
    if (m_flowAtRedrawKnown && f.txtMixedFlow->text() != m_flowAtRedraw)
        bad << QStringLiteral("txtMixedFlow %1 is not the supply flow %2 of the last redraw")
                   .arg(shown(f.txtMixedFlow->text()), shown(m_flowAtRedraw));

    // The warning picture tells exactly whether the last redraw failed.
    const bool failed = m_form->chartState().InterpFailed;
    if (f.picWarning->isVisibleTo(&f) != failed)
        bad << QStringLiteral("picWarning %1 while InterpFailed is %2")
                   .arg(f.picWarning->isVisibleTo(&f) ? QStringLiteral("shown")
                                                      : QStringLiteral("hidden"))
                   .arg(failed);
    for (Field w : psychro::warningFields())
        if (f.field(w)->isVisibleTo(&f) == failed)
            bad << QStringLiteral("%1 is %2 while InterpFailed is %3")
                       .arg(QLatin1String(psychro::fieldName(w)),
                            failed ? QStringLiteral("shown") : QStringLiteral("hidden"))
                       .arg(failed);

    // Both timers run after every action; the pointer is back to normal.
    if (!f.Timer1->isActive())
        bad << QStringLiteral("Timer1 stopped");
    if (!f.Timer2->isActive())
        bad << QStringLiteral("Timer2 (animation) stopped");
    if (QGuiApplication::overrideCursor() ||
        (f.testAttribute(Qt::WA_SetCursor) && f.cursor().shape() == Qt::WaitCursor))
        bad << QStringLiteral("the busy pointer is still shown");

    // The mode's controls agree with the mode.
    const bool live = f.LiveFeed;
    if (f.frmLive->isVisibleTo(&f) != live || f.picChart->isVisibleTo(&f) != live ||
        f.cmboCity->isVisibleTo(&f) == live)
        bad << QStringLiteral("live panel %1, history chart %2, city list %3 in %4 mode")
                   .arg(f.frmLive->isVisibleTo(&f))
                   .arg(f.picChart->isVisibleTo(&f))
                   .arg(f.cmboCity->isVisibleTo(&f))
                   .arg(live ? QStringLiteral("live") : QStringLiteral("manual"));
    if (f.txtOutdoorTemp->isEnabled() == live || f.txtOutdoorRH->isEnabled() == live)
        bad << QStringLiteral("outdoor fields editable=%1 in %2 mode")
                   .arg(f.txtOutdoorTemp->isEnabled())
                   .arg(live ? QStringLiteral("live") : QStringLiteral("manual"));

    // The share is a fraction and the knob sits where it says.
    const float share = m_form->chartState().in.gAirRate;
    if (!(share >= 0.0f && share <= 1.0f))
        bad << QStringLiteral("fresh-air fraction %1").arg(double(share));
    else {
        const int travel = f.SliderBackGrnd->width() - f.slider->width();
        const int want = int(std::lround(travel * double(share)));
        if (std::abs(f.slider->x() - want) > 1)
            bad << QStringLiteral("knob at %1 px, fraction %2 puts it at %3 px")
                       .arg(f.slider->x())
                       .arg(double(share))
                       .arg(want);
    }

    if (m_maxMessageDepth > 1)
        bad << QStringLiteral("%1 messages open at once").arg(m_maxMessageDepth);
    return bad.join(QStringLiteral("; "));
}

void TestRandomUi::failWith(const QString& why) {
    if (m_failed)
        return;
    m_failed = true;
    const int from = std::max(0, int(m_log.size()) - 80);
    qWarning().noquote() << "Random session failed at step" << m_step << "seed" << m_seed;
    for (int i = from; i < int(m_log.size()); ++i)
        qWarning().noquote() << QStringLiteral("  step %1: %2").arg(i).arg(m_log[size_t(i)]);
    qWarning().noquote() << QStringLiteral("Replay with QUORVEL_FUZZ_SEED=%1 QUORVEL_FUZZ_STEPS=%2")
                                .arg(m_seed)
                                .arg(m_step + 1);
    qWarning().noquote() << "Violation:" << why;
}

// --- the session -----------------------------------------------------------

void TestRandomUi::randomSessionKeepsTheWindowSound() {
    m_seed = envNumber("QUORVEL_FUZZ_SEED", kDefaultSeed);
    const int maxSteps = int(envNumber("QUORVEL_FUZZ_STEPS", kDefaultMaxSteps));
    const qint64 budgetMs = qint64(envNumber("QUORVEL_FUZZ_SECONDS", kDefaultSeconds)) * 1000;
    m_rng.seed(m_seed);
    qInfo().noquote() << QStringLiteral("seed %1 (QUORVEL_FUZZ_SEED), at most %2 steps in %3 s")
                             .arg(m_seed)
                             .arg(maxSteps)
                             .arg(budgetMs / 1000);

    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_server = std::make_unique<TestHttpServer>();
    QVERIFY(m_server->start());
    m_watchdog = std::make_unique<Watchdog>(m_seed);

    const QString settings = m_dir->filePath(QStringLiteral("quorvel.ini"));
    m_form = std::make_unique<app::Form1>(settings);
    m_form->messageBox = [this](const QString& text) {
        ++m_messageDepth;
        m_maxMessageDepth = std::max(m_maxMessageDepth, m_messageDepth);
        m_messages << text;
        if (!text.startsWith(QLatin1String("Failed to Load Data\n")) || !m_dailyBad)
            failWith(QStringLiteral("unexpected message '%1'").arg(text));
        --m_messageDepth;
    };
    const QString current = m_server->url(kCurrentPath).toString();
    const QString daily = m_server->url(kDailyPath).toString();
    m_form->feedSettings().gXMLCurrent = current;
    m_form->feedSettings().gXMLDaily = daily;
    m_form->runFeedDialog = [this, current, daily](feed::frmXMLFeed& d) {
        switch (m_dialogAction) {
        case 0:
            d.txtGMTOffet->setText(randomText().left(20));
            d.Command1->click();
            break;
        case 1:
            d.Command2->click();
            d.txtXMLCurrent->setText(QStringLiteral("  ") + current);
            d.txtXMLDaily->setText(daily + QStringLiteral(" "));
            d.txtGMTOffet->setText(numberText());
            d.Command1->click();
            break;
        default:
            d.reject();
            break;
        }
    };
    m_form->liveRefresher().setTimeoutMs(kFetchTimeoutMs);
    // The session drives the feed's refresh ticks itself, so that it knows
    // what each step fetched; the animation ticks often so that short waits
    // deliver some.
    m_form->Timer1->setInterval(3600 * 1000);
    m_form->Timer2->setInterval(5);
    connect(m_form->Timer2, &QTimer::timeout, this, [this] { ++m_ticks; });

    m_form->installEventFilter(this);
    m_inputs = {m_form->txtOutdoorTemp, m_form->txtOutdoorRH,  m_form->txtReturnTemp,
                m_form->txtReturnRH,    m_form->txtSupplyTemp, m_form->txtSupplyRH,
                m_form->txtSupplyFlow,  m_form->txtFreshMix};
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));

    const QString atStart = violations();
    QVERIFY2(atStart.isEmpty(), qPrintable(atStart));

    QElapsedTimer clock;
    clock.start();
    const int redrawsBefore = m_form->redrawCount();
    qint64 slowestMs = 0;
    QString slowest;
    for (m_step = 0; m_step < maxSteps && clock.elapsed() < budgetMs && !m_failed; ++m_step) {
        QElapsedTimer stepClock;
        stepClock.start();
        m_fetchedThisStep = false;
        // Weights per thousand steps.
        static const std::pair<int, void (TestRandomUi::*)()> steps[] = {
            {230, &TestRandomUi::stepSetText},    {180, &TestRandomUi::stepType},
            {100, &TestRandomUi::stepFocus},      {80, &TestRandomUi::stepLostFocusHandler},
            {140, &TestRandomUi::stepSliderMove}, {30, &TestRandomUi::stepToggleLock},
            {50, &TestRandomUi::stepCity},        {30, &TestRandomUi::stepMode},
            {105, &TestRandomUi::stepTick},       {20, &TestRandomUi::stepWait},
            {10, &TestRandomUi::stepTimer1},      {7, &TestRandomUi::stepLiveSwitch},
            {3, &TestRandomUi::stepFeedDialog},   {15, &TestRandomUi::stepSensibleState}};
        int r = below(1000);
        for (const auto& [weight, step] : steps) {
            if (r < weight) {
                (this->*step)();
                break;
            }
            r -= weight;
        }
        if (m_failed)
            break;
        if (!m_fetchedThisStep && stepClock.elapsed() > slowestMs) {
            slowestMs = stepClock.elapsed();
            slowest = m_log.back();
        }
        if (!m_fetchedThisStep && stepClock.elapsed() > kSlowStepMs) {
            failWith(QStringLiteral("the step took %1 ms").arg(stepClock.elapsed()));
            break;
        }
        const QString v = violations();
        if (!v.isEmpty()) {
            failWith(v);
            break;
        }
    }
    m_watchdog.reset();
    const int steps = m_step;
    qInfo().noquote() << QStringLiteral("%1 steps in %2 s: %3 redraws, %4 animation ticks, "
                                        "%5 live refreshes, %6 messages")
                             .arg(steps)
                             .arg(clock.elapsed() / 1000.0, 0, 'f', 1)
                             .arg(m_form->redrawCount() - redrawsBefore)
                             .arg(m_ticks)
                             .arg(m_refreshes)
                             .arg(m_messages.size());
    qInfo().noquote() << QStringLiteral("slowest step without a fetch: %1 ms, %2")
                             .arg(QString::number(slowestMs), slowest);
    QVERIFY2(!m_failed, "the random session found a fault; see the log above");
    // A session cut short by a slow machine still has to have done something.
    QVERIFY2(steps >= std::min(maxSteps, 1000), "too few steps to mean anything");
    QVERIFY(m_ticks > 0);
    m_form.reset();
}

QTEST_MAIN(TestRandomUi)
#include "tst_random_ui.moc"
