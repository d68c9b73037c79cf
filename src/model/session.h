#pragma once

#include "model/design.h"
#include "model/feed_types.h"
#include "model/weather_study.h"

#include "psychro/ashrae_sheet.h"
#include "psychro/chart_state.h"
#include "psychro/sheet.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <array>

// The program without its window: the state the window shows and every
// event procedure that changes it. The window, the command line and the
// tests drive it alike; it knows no widget.
//
// Data flows one way. An event procedure stores what was typed or chosen
// and, where the program redraws, calls recompute(): line tables, state
// placement, mixed point, sheet. The Session then says what changed
// (fieldChanged, recomputed, ...) and whoever shows it draws and displays.
//
// The event chains are kept whole inside: a procedure that writes an input
// field raises that field's change procedure at once, before it goes on, so
// a city choice recomputes twice and a slider move twice, whoever drives it.
namespace model {

class Session : public QObject {
    Q_OBJECT

public:
    // feed and store may be null: no live feed (the feed fails), and
    // settings that stay at their built-in defaults.
    explicit Session(FeedSource* feed = nullptr, SettingsStore* store = nullptr,
                     QObject* parent = nullptr);

    // The window's start-up: scales, feed settings, the city list's first
    // row, the fresh-air share, manual entry and the first recompute.
    void startUp();

    // --- What is shown
    const psychro::Sheet& sheet() const { return m_sheet; }
    const QString& text(psychro::Field f) const { return m_sheet[f]; }
    // Why the text an input field shows is not what the sheet was computed
    // with while it is typed ("above 100: set to 100 when you leave the
    // field"), or empty when it is.
    QString withheld(psychro::Field f) const;
    bool warning() const { return m_sheet.warning; }
    const psychro::ChartState& chart() const { return m_chart; }
    float freshAirShare() const { return m_chart.in.gAirRate; } // 0..1
    bool sliderEnabled() const { return m_sliderEnabled; }
    int cityRow() const { return m_cityRow; }
    int operation() const { return m_operation; } // 0 cooling, 1 heating
    bool liveFeed() const { return m_liveFeed; }
    // The live view (history chart, live panel, outdoor fields read-only)
    // is shown: follows liveFeed, except while a refresh started by the
    // switch to live is still running.
    bool liveView() const { return m_liveView; }
    bool refreshing() const { return m_refreshing; }
    const LivePanel& livePanel() const { return m_panel; }
    const ObservationHistory& history() const { return m_history; }
    const FeedSettings& feedSettings() const { return m_settings; }
    // The built-in feed settings, for the settings file this Session reads.
    FeedSettings defaultFeedSettings() const;
    int redrawCount() const { return m_redrawCount; }
    // Whether the last refresh of the live feed failed, and why.
    const QString& lastFeedFailure() const { return m_lastFailure; }
    // While the station stays unreachable: "station unreachable since
    // 13:02" (local time of the offset setting); empty otherwise. Only the
    // first failure of an outage is a message.
    const QString& feedStatus() const { return m_feedStatus; }
    // The moment taken as now for the live panel's age; invalid (the
    // default) for the clock's.
    void setNow(const QDateTime& now) { m_now = now; }
    // Why the settings file could not be read at start-up (the built-in
    // settings are used), or empty.
    const QString& settingsProblem() const { return m_settingsProblem; }
    // The design document's title block, and the keys of an opened design
    // this version does not know (written back when it is saved).
    const TitleBlock& titleBlock() const { return m_title; }
    void setTitleBlock(const TitleBlock& title);
    const QJsonObject& designExtras() const { return m_designExtras; }
    // The weather year beside the design, run through its air handler.
    WeatherStudy& weather() { return *m_weather; }
    const WeatherStudy& weather() const { return *m_weather; }
    void setDesignExtras(const QJsonObject& extras) { m_designExtras = extras; }

    // --- The method and its units and pressure
    psychro::Method method() const { return m_chart.method; }
    psychro::moist::Units units() const { return m_units; }
    // The pressure the ASHRAE method computes at (see PressureSetting).
    const PressureSetting& pressureSetting() const { return m_pressure; }
    // The pressure in effect (psia or kPa): the station's in live mode when
    // it reports one, else the setting's.
    double pressure() const;
    bool pressureFromStation() const;

    // --- Event procedures
    // A field's text changed (a keystroke, or code writing it). Writing the
    // text a field already shows changes nothing.
    void changeText(psychro::Field f, const QString& text);
    // A field lost the focus.
    void leaveField(psychro::Field f);
    void chooseCity(int row);
    void chooseOperation(int index);
    // The pointer moved over the unlocked slider track; X and the widths in
    // twips of the track.
    void moveSlider(double X, double trackWidth, double knobWidth);
    void toggleSliderLock();
    void chooseLive(int index); // 0 live feed, 1 manual entry
    void Timer1_Timer();
    // New feed settings (the settings dialog, the command line); saved in
    // the settings file as well when save is true (a failed save leaves
    // them in effect for this run). Refused, with the reason and nothing
    // changed, when the feed could not use them.
    QString useFeedSettings(const FeedSettings& settings, bool save = false);
    // The feed settings were edited (the settings dialog closed).
    void settingsEdited();
    // View -> Coil Line: the chart shows the coil line's extension to the
    // ADP. Only the drawing changes; the caller redraws.
    void setCoilLine(bool on) { m_chart.showCoilLine = on; }
    // The chart tables (IP only: the units go back to IP) or the ASHRAE
    // equations; recomputes.
    void chooseMethod(psychro::Method method);
    // IP or SI (SI computes by the equations): the inputs shown are
    // converted so that the air stays the same; recomputes.
    void chooseUnits(psychro::moist::Units units);
    // A new altitude or pressure, in the units shown: refused, with the
    // reason, when pressureProblem says so; recomputes.
    QString setPressure(const PressureSetting& setting);
    // The redraw pipeline without the painting.
    void recompute();

signals:
    // A field's text changed; the window shows it.
    void fieldChanged(psychro::Field f);
    // A recompute finished: draw the chart and show the sheet's visibility.
    void recomputed();
    // The process-flow animation starts over: every recompute and slider
    // move resets it whole, a switch of the feed mode only the dash
    // (whole false: the leg it is on stays).
    void animationReset(bool whole);
    // The fresh-air share changed: the knob goes to its place.
    void shareChanged();
    void sliderLockChanged();
    void cityChanged();
    void operationChanged();
    void liveFeedChanged();
    void liveViewChanged();
    void livePanelChanged();
    void refreshingChanged();
    void feedStatusChanged();
    void titleBlockChanged();
    void methodChanged(); // the method, the units or the pressure
    // A message for the user ("Failed to Load Data", ...); the receiver
    // returns once the user has read it.
    void message(const QString& text);

private:
    void setText(psychro::Field f, const QString& text);
    void applyCity();
    void refreshLiveFeed();
    void applyCurrent(const CurrentReading& r);
    void setRefreshing(bool refreshing);
    void reportFailure(const QString& what);
    void setFeedStatus(const QString& status);
    // Now, as the clock or the moment replayed has it (UTC).
    QDateTime now() const;
    // A moment as the live panel shows it: in the local time of the offset
    // setting.
    QDateTime local(const QDateTime& t) const;
    void showAge();
    psychro::AshraeInputs ashraeInputs() const;
    // Writes a converted input without its change procedure: the caller
    // recomputes once.
    void convertInput(psychro::Field f, double value);
    // A temperature from the station (F) as the outdoor field takes it.
    QString outdoorText(float fahrenheit) const;

    FeedSource* m_feed;
    SettingsStore* m_store;
    WeatherStudy* m_weather; // a child of the Session
    psychro::ChartState m_chart;
    psychro::Sheet m_sheet;
    FeedSettings m_settings;
    ObservationHistory m_history;
    LivePanel m_panel;
    QString m_lastFailure;
    QString m_settingsProblem;
    QString m_feedStatus;
    QDateTime m_now;
    QDateTime m_observedAt; // the current conditions' time, when known
    QDateTime m_outageSince;
    psychro::moist::Units m_units = psychro::moist::Units::IP;
    // The last unit switch of each input it converts: its text before and
    // after.
    struct Conversion {
        QString before, after;
    };
    QHash<psychro::Field, Conversion> m_conversions;
    PressureSetting m_pressure;
    double m_stationPressurePa = 0; // the live station's, 0 for none
    TitleBlock m_title;
    QJsonObject m_designExtras;
    int m_cityRow = -1;
    int m_operation = 0;
    bool m_sliderEnabled = false;
    bool m_liveFeed = false;
    bool m_liveView = false;
    bool m_refreshing = false;
    bool m_messageOpen = false;
    int m_redrawCount = 0;
};

} // namespace model
