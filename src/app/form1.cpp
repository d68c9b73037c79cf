#include "form1.h"

#include "artwork.h"
#include "assets.h"
#include "window_layout.h"

#include "chart/animation.h"
#include "chart/plots.h"
#include "feed/live_refresh.h"
#include "feed/xml_feed_dialog.h"
#include "print/print_report.h"
#include "psychro/chart_geometry.h"
#include "psychro/numconv.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace app {

using psychro::Field;

namespace {

using namespace layout;

template <typename T> T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QLabel* label(const QString& caption, const char* name = nullptr) {
    auto* l = new QLabel(caption);
    if (name)
        l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

Form1::Form1(const QString& settingsPath, QWidget* parent)
    : QMainWindow(parent), m_settingsPath(settingsPath) {
    if (m_settingsPath.isEmpty())
        m_settingsPath = feed::settingsFilePath(QCoreApplication::applicationDirPath(),
                                                &m_feedSettings.gIniSeed);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("System Quorvel - Psychrometry"));
    messageBox = [this](const QString& text) {
        // Messages may quote a server or a file: shown as plain text.
        QMessageBox box(QMessageBox::Information, QString(), text, QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    runFeedDialog = [](feed::frmXMLFeed& dialog) { dialog.exec(); };
    runPrintDialog = [this](QPrinter& printer) { return print::execPrintDialog(printer, this); };
    buildControls();
    startUp();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);

    const int graphInnerW = px(GraphWidth) - 2 * SurfaceWidget::Border;
    const int graphInnerH = px(GraphHeight) - 2 * SurfaceWidget::Border;
    picGraph = named(new SurfaceWidget(graphInnerW, graphInnerH, central), "picGraph");
    picGraph->move(px(GraphLeft), px(GraphTop));
    const int chartInnerW = px(ChartWidth) - 2 * SurfaceWidget::Border;
    const int chartInnerH = px(ChartHeight) - 2 * SurfaceWidget::Border;
    picChart = named(new SurfaceWidget(chartInnerW, chartInnerH, central), "picChart");
    picChart->move(px(ChartLeft), px(ChartTop));

    // The background pictures; each surface renders its own copy at its
    // pixel ratio (SetScale), these hold them at 100 %.
    Picture1 = named(new QLabel(central), "Picture1");
    Picture1->setPixmap(QPixmap::fromImage(renderArtwork(assets::graphBackground, 1.0)));
    Picture1->hide();
    Picture2 = named(new QLabel(central), "Picture2");
    Picture2->setPixmap(QPixmap::fromImage(renderArtwork(assets::chartBackground, 1.0)));
    Picture2->hide();

    m_sidePanel = buildSidePanel();
    m_sidePanel->setParent(central);
    m_sidePanel->setGeometry(SidePanelLeft, Margin, SidePanelWidth,
                             px(ChartTop + ChartHeight) - Margin);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(40000);
    Timer2 = named(new QTimer(this), "Timer2");
    Timer2->setInterval(200);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);

    buildWindowExtras();

    inputs::InputControls ic{txtOutdoorTemp, txtOutdoorRH, txtReturnTemp, txtReturnRH,
                             txtSupplyTemp,  txtSupplyRH,  txtSupplyFlow, txtFreshMix};
    inputs::SliderControls sc{SliderBackGrnd, slider,      Image1, imglockclosed,
                              imgLockOpen,    txtFreshMix, Timer2};
    m_slider = new inputs::FreshAirSlider(
        sc, m_chart, [this] { DrawGraphs(); }, this);
    m_inputs = new inputs::InputHandlers(
        ic, m_chart.in, [this] { DrawGraphs(); }, [this] { m_slider->placeKnob(); }, this);
    inputs::CityControls cc{cmboCity, OptCoolHeat[0], OptCoolHeat[1], txtOutdoorTemp, txtOutdoorRH};
    m_cities = new inputs::DesignCities(
        cc, [this] { DrawGraphs(); }, this);

    feed::CurrentTargets targets{lblTempF,      lblTempC,   lblRH,          lblDewF,
                                 lblDewC,       lblTime,    txtOutdoorTemp, txtOutdoorRH,
                                 txtOutdoorDew, &m_chart.in};
    m_refresher = std::make_unique<feed::LiveRefresher>(
        m_feedSettings, targets, m_history, [this](const QString& text) { messageBox(text); },
        [this] { return LiveFeed; },
        [this](bool refreshing) { cmdLiveSet->setEnabled(!refreshing); });
    connect(OptLive[0], &QRadioButton::clicked, this, [this] { OptLive_Click(0); });
    connect(OptLive[1], &QRadioButton::clicked, this, [this] { OptLive_Click(1); });
    connect(cmdLiveSet, &QPushButton::clicked, this, &Form1::cmdLiveSet_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(cmdPrint, &QPushButton::clicked, this, &Form1::cmdPrint_Click);
}

QWidget* Form1::buildSheet() {
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("stateSheet"));
    auto* grid = new QGridLayout(sheet);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);

    const char* heads[4] = {"OUTDOOR", "RETURN", "SUPPLY", "MIXED AIR"};
    const char* headNames[4] = {"lblHeadOutdoor", "lblHeadReturn", "lblHeadSupply", "lblHeadMixed"};
    for (int c = 0; c < 4; ++c) {
        QLabel* h = label(QLatin1String(heads[c]), headNames[c]);
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        h->setAlignment(Qt::AlignCenter);
        grid->addWidget(h, 0, c + 1);
    }

    auto derived = [this](Field f) {
        auto* e = new QLineEdit;
        e->setObjectName(QLatin1String(psychro::fieldName(f)));
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        m_fields[size_t(f)] = e;
        return e;
    };
    auto input = [this](Field f, const char* text) {
        auto* e = new inputs::InputField(QLatin1String(text));
        e->setObjectName(QLatin1String(psychro::fieldName(f)));
        m_fields[size_t(f)] = e;
        return e;
    };

    txtOutdoorTemp = input(Field::txtOutdoorTemp, "90");
    txtReturnTemp = input(Field::txtReturnTemp, "75");
    txtSupplyTemp = input(Field::txtSupplyTemp, "60");
    txtMixedTemp = derived(Field::txtMixedTemp);
    txtOutdoorRH = input(Field::txtOutdoorRH, "75");
    txtReturnRH = input(Field::txtReturnRH, "60");
    txtSupplyRH = input(Field::txtSupplyRH, "99");
    txtMixedRH = derived(Field::txtMixedRH);
    txtOutdoorDew = derived(Field::txtOutdoorDew);
    txtOutdoorDew->setText(QStringLiteral("19"));
    txtReturnDew = derived(Field::txtReturnDew);
    txtSupplyDew = derived(Field::txtSupplyDew);
    txtMixedDew = derived(Field::txtMixedDew);
    txtOutDoorWetBulb = derived(Field::txtOutDoorWetBulb);
    txtReturnWetBulb = derived(Field::txtReturnWetBulb);
    txtSupplyWetBulb = derived(Field::txtSupplyWetBulb);
    txtMixedWetBulb = derived(Field::txtMixedWetBulb);
    txtOutdoorRatio = derived(Field::txtOutdoorRatio);
    txtReturnRatio = derived(Field::txtReturnRatio);
    txtSupplyRatio = derived(Field::txtSupplyRatio);
    txtMixedRatio = derived(Field::txtMixedRatio);
    txtOutdoorEnthalpy = derived(Field::txtOutdoorEnthalpy);
    txtReturnEnthalpy = derived(Field::txtReturnEnthalpy);
    txtSupplyEnthalpy = derived(Field::txtSupplyEnthalpy);
    txtMixedEnthalpy = derived(Field::txtMixedEnthalpy);
    txtOutdoorSpVol = derived(Field::txtOutdoorSpVol);
    txtReturnSpVol = derived(Field::txtReturnSpVol);
    txtSupplySpVol = derived(Field::txtSupplySpVol);
    txtMixedSpVol = derived(Field::txtMixedSpVol);
    txtOutdoorFlow = derived(Field::txtOutdoorFlow);
    txtReturnFlow = derived(Field::txtReturnFlow);
    txtSupplyFlow = input(Field::txtSupplyFlow, "6000");
    txtMixedFlow = derived(Field::txtMixedFlow);
    txtOutdoorMass = derived(Field::txtOutdoorMass);
    txtReturnMass = derived(Field::txtReturnMass);
    txtSupplyMass = derived(Field::txtSupplyMass);
    txtMixedMass = derived(Field::txtMixedMass);

    // One caption column serves the four states; the window shows the
    // SUPPLY captions there, the named captions of the other columns are
    // kept (hidden) for whoever reads them by name.
    const char* captionNames[9] = {"lblSupplyDryBulb", "lblSupplyRH",    "lblSupplyDew",
                                   "lblSupplyWetBulb", "lblSupplyRatio", "lblSupplyEnthalpy",
                                   "lblSupplySpVOL",   "lblSupplyCFM",   "lblSupplyMass"};
    QLabel** captions[9] = {&lblSupplyDryBulb, &lblSupplyRH,    &lblSupplyDew,
                            &lblSupplyWetBulb, &lblSupplyRatio, &lblSupplyEnthalpy,
                            &lblSupplySpVOL,   &lblSupplyCFM,   &lblSupplyMass};
    const auto& rows = psychro::sheetRows();
    for (int r = 0; r < 9; ++r) {
        *captions[r] = label(QLatin1String(rows[size_t(r)].caption), captionNames[r]);
        grid->addWidget(*captions[r], r + 1, 0);
        for (int c = 0; c < 4; ++c) {
            QLineEdit* w = field(rows[size_t(r)].fields[size_t(c)]);
            w->setAlignment(Qt::AlignRight);
            w->setMinimumWidth(70);
            grid->addWidget(w, r + 1, c + 1);
        }
    }
    lblOutdoorTemp = label(QStringLiteral("Temperature (F)"), "lblOutdoorTemp");
    lblOutdoorRH = label(QStringLiteral("Rel Humidity %"), "lblOutdoorRH");
    lblOutdoorDew = label(QStringLiteral("Dew Point (F)"), "lblOutdoorDew");
    lblReturnTemp = label(QStringLiteral("Temperature (F)"), "lblReturnTemp");
    for (QLabel* l : {lblOutdoorTemp, lblOutdoorRH, lblOutdoorDew, lblReturnTemp}) {
        l->setParent(sheet);
        l->hide();
    }
    return sheet;
}

QWidget* Form1::buildSidePanel() {
    auto* side = new QWidget;
    side->setObjectName(QStringLiteral("sidePanel"));
    auto* v = new QVBoxLayout(side);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(8);
    v->addWidget(buildSheet());

    // Results: load and condensate, with the warning picture beside them.
    auto* results = new QWidget;
    results->setObjectName(QStringLiteral("results"));
    auto* rg = new QGridLayout(results);
    rg->setContentsMargins(0, 0, 0, 0);
    txtLoad = named(new QLineEdit, "txtLoad");
    txtCondensate = named(new QLineEdit, "txtCondensate");
    m_fields[size_t(Field::txtLoad)] = txtLoad;
    m_fields[size_t(Field::txtCondensate)] = txtCondensate;
    for (QLineEdit* e : {txtLoad, txtCondensate}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setAlignment(Qt::AlignRight);
        e->setMaximumWidth(110);
    }
    rg->addWidget(label(QStringLiteral("Cooling Load (BTU/hr)"), "lblLoad"), 0, 0);
    rg->addWidget(txtLoad, 0, 1);
    rg->addWidget(label(QStringLiteral("Condensate (GPM)"), "lblCondensate"), 1, 0);
    rg->addWidget(txtCondensate, 1, 1);
    picWarning = named(new QLabel, "picWarning");
    picWarning->setPixmap(QPixmap::fromImage(renderArtwork(assets::warning, devicePixelRatioF())));
    picWarning->hide();
    rg->addWidget(picWarning, 0, 2, 2, 1, Qt::AlignCenter);
    rg->setColumnStretch(2, 1);
    v->addWidget(results);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(8);

    // Operation.
    Frame1 = named(new QGroupBox(QStringLiteral("Operation")), "Frame1");
    auto* f1 = new QVBoxLayout(Frame1);
    OptCoolHeat[0] =
        named(new QRadioButton(QStringLiteral("Cooling with Dehumidifcation")), "OptCoolHeat_0");
    OptCoolHeat[1] =
        named(new QRadioButton(QStringLiteral("Heating with Humidification")), "OptCoolHeat_1");
    OptCoolHeat[0]->setChecked(true);
    f1->addWidget(OptCoolHeat[0]);
    f1->addWidget(OptCoolHeat[1]);
    middle->addWidget(Frame1);

    // Fresh air: the share as a number, and the slider with its lock.
    frmFreshAir = named(new QGroupBox(QStringLiteral("Fresh Air Mix")), "frmFreshAir");
    frmFreshAir->setFixedSize(px(3270 + 600 + 240), px(960 + 585 + 240));
    txtFreshMix = named(new inputs::InputField(QStringLiteral("25"), frmFreshAir), "txtFreshMix");
    m_fields[size_t(Field::txtFreshMix)] = txtFreshMix;
    txtFreshMix->setGeometry(16, 24, 60, 24);
    txtFreshMix->setAlignment(Qt::AlignRight);
    auto* pct = label(QStringLiteral("% Fresh Air"), "lblFreshMix");
    pct->setParent(frmFreshAir);
    pct->setGeometry(82, 24, 120, 24);
    SliderBackGrnd = named(new inputs::SliderTrack(frmFreshAir), "SliderBackGrnd");
    SliderBackGrnd->setGeometry(px(600), px(960), px(3270), px(585));
    SliderBackGrnd->setArtwork(renderArtwork(assets::sliderTrack, devicePixelRatioF()));
    slider = named(new inputs::SliderKnob(SliderBackGrnd), "slider");
    slider->setGeometry(0, px(240), px(165), px(315));
    slider->setArtwork(renderArtwork(assets::sliderKnob, devicePixelRatioF()));
    imglockclosed = named(new QLabel(frmFreshAir), "imglockclosed");
    imglockclosed->setPixmap(
        QPixmap::fromImage(renderArtwork(assets::lockClosed, devicePixelRatioF())));
    imglockclosed->setGeometry(0, 0, px(255), px(255));
    imglockclosed->hide();
    imgLockOpen = named(new QLabel(frmFreshAir), "imgLockOpen");
    imgLockOpen->setPixmap(
        QPixmap::fromImage(renderArtwork(assets::lockOpen, devicePixelRatioF())));
    imgLockOpen->setGeometry(0, 0, px(255), px(255));
    imgLockOpen->hide();
    Image1 = named(new inputs::ClickableImage(frmFreshAir), "Image1");
    Image1->setGeometry(px(240), px(1080), px(315), px(315));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(imglockclosed->pixmap());
    middle->addWidget(frmFreshAir);
    v->addLayout(middle);

    // Design points and the outdoor source.
    Frame2 = named(new QGroupBox(QStringLiteral("Design Points")), "Frame2");
    auto* f2 = new QGridLayout(Frame2);
    cmboCity = named(new QComboBox, "cmboCity");
    cmboCity->setMaxVisibleItems(20);
    f2->addWidget(cmboCity, 0, 0, 1, 3);
    OptLive[0] = named(new QRadioButton(QStringLiteral("Live  Feed")), "OptLive_0");
    OptLive[1] = named(new QRadioButton(QStringLiteral("Manual Entry ")), "OptLive_1");
    OptLive[1]->setChecked(true);
    cmdLiveSet = named(new QPushButton(QStringLiteral("XML Setup")), "cmdLiveSet");
    f2->addWidget(OptLive[0], 1, 0);
    f2->addWidget(OptLive[1], 1, 1);
    f2->addWidget(cmdLiveSet, 1, 2);
    v->addWidget(Frame2);

    // Live observations, shown only while the feed is on.
    frmLive = named(new QGroupBox(QStringLiteral("  Live Data")), "frmLive");
    auto* fl = new QGridLayout(frmLive);
    lblTime = label(QStringLiteral("lblTime"), "lblTime");
    lblTempF = label(QStringLiteral("lblTempF"), "lblTempF");
    lblTempC = label(QStringLiteral("lblTempC"), "lblTempC");
    lblRH = label(QStringLiteral("lblRH"), "lblRH");
    lblDewF = label(QStringLiteral("lblDewF"), "lblDewF");
    lblDewC = label(QStringLiteral("lblDewC"), "lblDewC");
    // The station's text is shown as it came, never interpreted as markup:
    // the feed is plain HTTP and anyone on the path can write into it.
    for (QLabel* l : {lblTime, lblTempF, lblTempC, lblRH, lblDewF, lblDewC})
        l->setTextFormat(Qt::PlainText);
    fl->addWidget(label(QStringLiteral("Time:"), "lblTimeCaption"), 0, 0);
    fl->addWidget(lblTime, 0, 1, 1, 2);
    fl->addWidget(lblTempF, 1, 0, 1, 2);
    fl->addWidget(lblTempC, 1, 2);
    fl->addWidget(lblRH, 2, 0, 1, 3);
    fl->addWidget(lblDewF, 3, 0, 1, 2);
    fl->addWidget(lblDewC, 3, 2);
    frmLive->hide();
    v->addWidget(frmLive);

    cmdPrint = named(new QPushButton(QStringLiteral("Print")), "cmdPrint");
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdPrint);
    v->addLayout(bottom);
    v->addStretch(1);

    // As on a form of fixed positions, a control that is hidden keeps its
    // place: nothing under the pointer moves when the warning comes and
    // goes or the outdoor source is switched.
    auto keepPlace = [](QWidget* w) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    };
    for (Field f : psychro::warningFields())
        keepPlace(field(f));
    for (QWidget* w : std::initializer_list<QWidget*>{txtLoad, picWarning, cmboCity, frmLive})
        keepPlace(w);
    return side;
}

// Scales and fonts of the two surfaces, and the plot bounds.
void Form1::SetScale() {
    psychro::clsGraph& g = m_chart.objMyGraph;
    g = psychro::clsGraph{};
    chart::ImageSurface& graph = picGraph->surface();
    chart::ImageSurface& hist = picChart->surface();
    graph.FontSize(8);
    hist.FontSize(8);
    psychro::setGraphBounds(g);
    graph.Scale(g.MinXScale, g.MaxYScale, g.MaxXScale, g.MinYScale);
    hist.Scale(g.MinXScale, g.MaxYScale, g.MaxXScale, g.MinYScale);
    // The backgrounds are laid on every erase from here on.
    graph.Picture(renderArtwork(assets::graphBackground, graph.devicePixelRatio()));
    hist.Picture(renderArtwork(assets::chartBackground, hist.devicePixelRatio()));
}

void Form1::startUp() {
    SetScale();
    feed::LoadFeedSettings(m_feedSettings, 1, m_settingsPath);
    m_cities->Load_Cities();
    m_slider->SliderEnabled = false;
    m_inputs->txtFreshMix_LostFocus();
    OptLive[1]->setChecked(true);
    OptLive_Click(1);
    DrawGraphs();
    setWindowTitle(windowTitle() + QStringLiteral("   V") +
                   psychro::FormatNumber(VersionMajor, QStringLiteral("##0")) + u'.' +
                   psychro::FormatNumber(VersionMinor, QStringLiteral("##0")));
    Timer1->start();
    Timer2->start();
}

void Form1::readSheet() {
    for (int i = 0; i < psychro::FieldCount; ++i)
        m_sheet.text[size_t(i)] = m_fields[size_t(i)]->text();
}

void Form1::writeSheet() {
    for (int i = 0; i < psychro::FieldCount; ++i) {
        QLineEdit* e = m_fields[size_t(i)];
        if (e->isReadOnly() && e->text() != m_sheet.text[size_t(i)])
            e->setText(m_sheet.text[size_t(i)]);
    }
    for (Field f : psychro::warningFields())
        field(f)->setVisible(!m_sheet.warning);
    // A load computed from values that could not be read off the chart is
    // no load: it goes with them.
    txtLoad->setVisible(!m_sheet.warning);
    picWarning->setVisible(m_sheet.warning);
}

void Form1::DrawGraphs() {
    ++m_redrawCount;
    setCursor(Qt::WaitCursor);
    m_chart.InterpFailed = false;
    Timer2->stop();
    chart::Surface& g = picGraph->surface();
    g.Cls();
    picChart->surface().Cls();
    m_chart.anim = {};

    readSheet();
    // Print and export draw from what this redraw drew, not from values
    // stored since without a redraw (an RH typed out of range, say).
    m_drawnChart = m_chart;
    m_drawnSheet = m_sheet;
    chart::drawPsychrometricChart(g, m_chart, psychro::LeadingNumber(m_sheet[Field::txtSupplyTemp]),
                                  psychro::LeadingNumber(m_sheet[Field::txtReturnTemp]),
                                  m_sheet[Field::txtMixedTemp]);
    g.KeepAsDrawn();
    psychro::RunConversions(m_sheet, m_chart);
    writeSheet();
    if (LiveFeed) {
        chart::Surface& c = picChart->surface();
        chart::Plot_Time_Axis(c, m_chart.objMyGraph);
        if (LiveFeed)
            chart::Plot_History(c, m_chart.objMyGraph, m_history.obsTime, m_history.obsTemperature,
                                m_history.obsDewPoint, m_feedSettings.gGMTOffset);
    }

    Timer2->start();
    picGraph->update();
    picChart->update();
    unsetCursor();
}

QImage Form1::renderGraphImage(qreal devicePixelRatio) {
    chart::Surface& screen = picGraph->surface();
    chart::ImageSurface surface(screen.widthPx(), screen.heightPx(), devicePixelRatio);
    surface.Picture(renderArtwork(assets::graphBackground, devicePixelRatio));
    renderGraphTo(surface);
    return surface.Image().copy();
}

void Form1::renderGraphTo(chart::Surface& surface) {
    surface.FontSize(8);
    const psychro::clsGraph& g = m_chart.objMyGraph;
    surface.Scale(g.MinXScale, g.MaxYScale, g.MaxXScale, g.MinYScale);
    surface.Cls();
    // A copy of the state the last redraw started from: drawing again must
    // not move anything on screen, and must draw what the screen shows.
    psychro::ChartState state = m_drawnChart;
    psychro::Sheet sheet = m_drawnSheet;
    chart::drawPsychrometricChart(
        surface, state, psychro::LeadingNumber(sheet[Field::txtSupplyTemp]),
        psychro::LeadingNumber(sheet[Field::txtReturnTemp]), sheet[Field::txtMixedTemp]);
}

void Form1::Timer2_Timer() {
    chart::Timer2_Timer(picGraph->surface(), m_chart);
    picGraph->update();
}

} // namespace app

namespace app {

void Form1::OptLive_Click(int Index) {
    setCursor(Qt::WaitCursor);
    if (Index == 0) {
        LiveFeed = true;
        Timer1->start();
        m_history.obsIndex = 0;
        // The outdoor fields start from the "Manual Entry" point, then
        // follow the station.
        m_cities->selectRow(0);
        m_refresher->refreshLiveFeed();
        unsetCursor();
        // The user may have chosen manual entry while the station was being
        // asked; then the window stays as that choice left it.
        if (LiveFeed) {
            picChart->show();
            txtOutdoorTemp->setEnabled(false);
            txtOutdoorRH->setEnabled(false);
            txtOutdoorDew->setEnabled(false);
            cmboCity->hide();
            frmLive->show();
        }
    } else {
        LiveFeed = false;
        picChart->hide();
        txtOutdoorTemp->setEnabled(true);
        txtOutdoorRH->setEnabled(true);
        unsetCursor();
        psychro::WorkingInputs& in = m_chart.in;
        in.gTemperature = psychro::ToSingle(psychro::LeadingNumber(txtOutdoorTemp->text()));
        in.gORH = psychro::ToSingle(psychro::LeadingNumber(txtOutdoorRH->text()));
        in.gSRH = psychro::ToSingle(psychro::LeadingNumber(txtSupplyRH->text()));
        in.gRRH = psychro::ToSingle(psychro::LeadingNumber(txtReturnRH->text()));
        frmLive->hide();
        cmboCity->show();
    }
    m_chart.anim.B1a = 0;
    m_chart.anim.A1a = 0;
    QApplication::processEvents();
    DrawGraphs();
}

void Form1::Timer1_Timer() {
    // A tick that arrives while a refresh is still waiting for the station
    // is dropped rather than nested inside it.
    if (m_refresher->isRefreshing())
        return;
    m_history.obsIndex = 0;
    if (LiveFeed)
        m_refresher->refreshLiveFeed();
    DrawGraphs();
}

void Form1::cmdLiveSet_Click() {
    // The button is disabled while a refresh runs; this only turns away a
    // click made by code meanwhile.
    if (m_refresher->isRefreshing())
        return;
    {
        feed::frmXMLFeed dialog(m_feedSettings, this);
        runFeedDialog(dialog);
    }
    m_history.obsIndex = 0;
    if (LiveFeed)
        m_refresher->refreshLiveFeed();
    DrawGraphs();
}

} // namespace app

namespace app {

// What the report prints: the SUPPLY column's captions for every block and
// the texts exactly as the fields show them.
print::ReportContent Form1::reportContent() {
    const print::RowCaptions captions = {
        lblSupplyDryBulb->text(), lblSupplyRH->text(),    lblSupplyDew->text(),
        lblSupplyWetBulb->text(), lblSupplyRatio->text(), lblSupplyEnthalpy->text(),
        lblSupplySpVOL->text(),   lblSupplyCFM->text(),   lblSupplyMass->text()};
    readSheet();
    return print::reportContent(captions, m_sheet, cmboCity->currentIndex(),
                                cmboCity->currentText());
}

void Form1::cmdPrint_Click() {
    if (!print::printWithDialog(
            runPrintDialog, [this] { return reportContent(); }, picGraph->surface(),
            [this](qreal dpr) { return renderGraphImage(dpr); }))
        messageBox(QStringLiteral("Print Failed"));
}

bool Form1::printToPdf(const QString& fileName, QString* error) {
    const bool ok =
        print::printReportToPdf(fileName, reportContent(), picGraph->surface(),
                                [this](qreal dpr) { return renderGraphImage(dpr); }, error);
    if (!ok)
        messageBox(QStringLiteral("Print Failed"));
    return ok;
}

} // namespace app
