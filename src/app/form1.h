#pragma once

#include "surface_widget.h"

#include "feed/feed_settings.h"
#include "feed/observations.h"
#include "inputs/design_cities.h"
#include "inputs/fresh_air_slider.h"
#include "inputs/input_handlers.h"
#include "inputs/input_widgets.h"
#include "print/report_content.h"
#include "psychro/chart_state.h"
#include "psychro/sheet.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTimer;

namespace feed {
class LiveRefresher;
class frmXMLFeed;
} // namespace feed

namespace app {

// The program's version record.
constexpr int VersionMajor = 1;
constexpr int VersionMinor = 1;

// The main window: it owns every control and the window-level state, wires
// the events to the subsystems that handle them, and runs the redraw
// pipeline that every change ends in.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // settingsPath: the feed settings file; empty for the program's own
    // (beside the executable, or in the user's configuration directory when
    // that directory cannot be written).
    explicit Form1(const QString& settingsPath = QString(), QWidget* parent = nullptr);
    ~Form1() override;

    // Brings the chart and the sheet up to date: draws the whole chart,
    // places the four states, recomputes the sheet.
    void DrawGraphs();

    // Every message box goes through here; tests and headless runs replace it.
    std::function<void(const QString&)> messageBox;
    // Shows the printer dialog; true when the user chose to print. Tests and
    // headless runs stand in for the user here.
    std::function<bool(QPrinter&)> runPrintDialog;
    // Shows the feed settings dialog modally; tests drive the dialog instead.
    std::function<void(feed::frmXMLFeed&)> runFeedDialog;

    // The live/manual switch (0 live feed, 1 manual entry), the feed's
    // refresh tick and the settings button.
    void OptLive_Click(int Index);
    void Timer1_Timer();
    void cmdLiveSet_Click();
    // The printed report: printer dialog, then the chart and the four states.
    void cmdPrint_Click();
    // The same report written to a PDF file without any dialog; *error says
    // why it failed.
    bool printToPdf(const QString& fileName, QString* error = nullptr);
    feed::FeedSettings& feedSettings() { return m_feedSettings; }
    feed::ObservationHistory& history() { return m_history; }
    feed::LiveRefresher& liveRefresher() { return *m_refresher; }

    // The psychrometric chart drawn afresh at another device pixel ratio
    // (the printer's), at the on-screen size; nothing on screen changes.
    QImage renderGraphImage(qreal devicePixelRatio);
    // The same drawing on any surface (an SVG or PDF export).
    void renderGraphTo(chart::Surface& surface);
    // Writes the chart as PNG, SVG or PDF by the file's suffix.
    bool exportChart(const QString& fileName, QString* error = nullptr);
    // Chart read-out of a user-coordinate point: dry bulb, humidity ratio,
    // dew point, wet bulb, specific volume and enthalpy read with the
    // chart's own functions; empty outside the plot area.
    QString readout(const QPointF& user);

    // Number of DrawGraphs runs so far (what tests count redraws by).
    int redrawCount() const { return m_redrawCount; }

    QLineEdit* field(psychro::Field f) const { return m_fields[size_t(f)]; }
    psychro::ChartState& chartState() { return m_chart; }
    inputs::InputHandlers& inputHandlers() { return *m_inputs; }
    inputs::FreshAirSlider& freshAirSlider() { return *m_slider; }
    inputs::DesignCities& designCities() { return *m_cities; }

    // Sheet: inputs.
    inputs::InputField* txtOutdoorTemp;
    inputs::InputField* txtOutdoorRH;
    inputs::InputField* txtReturnTemp;
    inputs::InputField* txtReturnRH;
    inputs::InputField* txtSupplyTemp;
    inputs::InputField* txtSupplyRH;
    inputs::InputField* txtSupplyFlow;
    inputs::InputField* txtFreshMix;
    // Sheet: derived fields.
    QLineEdit* txtMixedTemp;
    QLineEdit* txtMixedRH;
    QLineEdit *txtOutdoorDew, *txtReturnDew, *txtSupplyDew, *txtMixedDew;
    QLineEdit *txtOutDoorWetBulb, *txtReturnWetBulb, *txtSupplyWetBulb, *txtMixedWetBulb;
    QLineEdit *txtOutdoorRatio, *txtReturnRatio, *txtSupplyRatio, *txtMixedRatio;
    QLineEdit *txtOutdoorEnthalpy, *txtReturnEnthalpy, *txtSupplyEnthalpy, *txtMixedEnthalpy;
    QLineEdit *txtOutdoorSpVol, *txtReturnSpVol, *txtSupplySpVol, *txtMixedSpVol;
    QLineEdit *txtOutdoorFlow, *txtReturnFlow, *txtMixedFlow;
    QLineEdit *txtOutdoorMass, *txtReturnMass, *txtSupplyMass, *txtMixedMass;
    QLineEdit* txtLoad;
    QLineEdit* txtCondensate;
    // Row captions; the report prints the SUPPLY ones.
    QLabel *lblSupplyDryBulb, *lblSupplyRH, *lblSupplyDew, *lblSupplyWetBulb, *lblSupplyRatio,
        *lblSupplyEnthalpy, *lblSupplySpVOL, *lblSupplyCFM, *lblSupplyMass;
    QLabel *lblOutdoorTemp, *lblOutdoorRH, *lblOutdoorDew, *lblReturnTemp;
    // Groups and the rest.
    QGroupBox *Frame1, *frmFreshAir, *Frame2, *frmLive;
    std::array<QRadioButton*, 2> OptCoolHeat;
    std::array<QRadioButton*, 2> OptLive;
    QComboBox* cmboCity;
    QPushButton* cmdLiveSet;
    QPushButton* cmdPrint;
    QLabel *lblTempF, *lblTempC, *lblRH, *lblDewF, *lblDewC, *lblTime;
    inputs::SliderTrack* SliderBackGrnd;
    inputs::SliderKnob* slider;
    inputs::ClickableImage* Image1;
    QLabel *imglockclosed, *imgLockOpen;
    SurfaceWidget* picGraph;
    SurfaceWidget* picChart;
    QLabel *Picture1, *Picture2; // hidden holders of the two background pictures
    QLabel* picWarning;
    QTimer* Timer1;
    QTimer* Timer2;

    bool LiveFeed = false;

private:
    void buildControls();
    QWidget* buildSheet();
    QWidget* buildSidePanel();
    void startUp();
    void buildWindowExtras();
    void layoutCharts();
    void copySheet();
    void saveSheetAsCsv();
    void exportChartInteractive(const QString& suffix, const QString& filter);
    void SetScale();
    void Timer2_Timer();
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void readSheet();
    print::ReportContent reportContent();
    void writeSheet();

    psychro::ChartState m_chart;
    psychro::Sheet m_sheet;
    // The state and texts the last redraw started from.
    psychro::ChartState m_drawnChart;
    psychro::Sheet m_drawnSheet;
    std::array<QLineEdit*, psychro::FieldCount> m_fields{};
    QWidget* m_sidePanel = nullptr;
    QLabel* m_readout = nullptr;
    inputs::InputHandlers* m_inputs = nullptr;
    inputs::FreshAirSlider* m_slider = nullptr;
    inputs::DesignCities* m_cities = nullptr;
    feed::FeedSettings m_feedSettings;
    feed::ObservationHistory m_history;
    std::unique_ptr<feed::LiveRefresher> m_refresher;
    QString m_settingsPath;
    int m_redrawCount = 0;
};

} // namespace app
