#include "ui/form1.h"

#include "ui/input_widgets.h"
#include "ui/surface_widget.h"
#include "ui/view_options.h"
#include "ui/window_layout.h"
#include "ui/xml_feed_dialog.h"

#include "assets.h"
#include "chart/artwork.h"
#include "chart/chart_export.h"
#include "chart/plots.h"
#include "print/print_report.h"
#include "print/report_content.h"
#include "psychro/coil.h"
#include "psychro/design_cities.h"
#include "psychro/numconv.h"
#include "version.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace ui {

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

constexpr const char* Caption = "System Quorvel - Psychrometry";

} // namespace

Form1::Form1(model::Session& session, QWidget* parent) : QMainWindow(parent), m_session(session) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QLatin1String(Caption));
    messageBox = [this](const QString& text) {
        // Messages may quote a server or a file: shown as plain text.
        QMessageBox box(QMessageBox::Information, QString(), text, QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    runFeedDialog = [](frmXMLFeed& dialog) { dialog.exec(); };
    runPrintDialog = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, 1);
        return dialog.exec() == QDialog::Accepted;
    };
    buildControls();
    bindSession();
    m_session.startUp();
    if (!m_session.settingsProblem().isEmpty())
        statusBar()->showMessage(
            tr("%1; using the built-in feed settings").arg(m_session.settingsProblem()));
    trackDesign();
    Timer1->start();
    Timer2->start();
}

Form1::~Form1() = default;

// "name.qpsy[*] — " and the caption with the version, or the caption alone
// for a design never saved. Composed here: setWindowFilePath has no effect
// once a title is set.
void Form1::showTitle() {
    const QString caption = QLatin1String(Caption) + QStringLiteral("   V") +
                            psychro::FormatNumber(version::Major, QStringLiteral("##0")) + u'.' +
                            psychro::FormatNumber(version::Minor, QStringLiteral("##0"));
    const bool named = !m_fileName.isEmpty();
    const QString title =
        named ? QFileInfo(m_fileName).fileName() + QStringLiteral("[*] — ") + caption : caption;
    // Called on every keystroke: the platform hears only of a real change.
    if (title != windowTitle())
        setWindowTitle(title);
    // Without a name there is no [*] to mark.
    setWindowModified(named && hasUnsavedChanges());
}

void Form1::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);

    picGraph =
        named(new SurfaceWidget(chart::GraphWidthPx, chart::GraphHeightPx, central), "picGraph");
    picGraph->move(px(GraphLeft), px(GraphTop));
    picChart = named(new SurfaceWidget(chart::HistoryWidthPx, chart::HistoryHeightPx, central),
                     "picChart");
    picChart->move(px(ChartLeft), px(ChartTop));
    picChart->hide();

    // The background pictures at 100 %; each surface renders its own copy at
    // its pixel ratio.
    for (const auto& [name, art] : {std::pair{"Picture1", assets::graphBackground},
                                    std::pair{"Picture2", assets::chartBackground}}) {
        auto* holder = named(new QLabel(central), name);
        holder->setPixmap(QPixmap::fromImage(chart::renderArtwork(art, 1.0)));
        holder->hide();
    }

    m_sidePanel = buildSidePanel();
    m_sidePanel->setParent(central);
    m_sidePanel->setGeometry(SidePanelLeft, Margin, SidePanelWidth,
                             px(ChartTop) + picChart->height() - Margin);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(40000);
    Timer2 = named(new QTimer(this), "Timer2");
    Timer2->setInterval(200);
    buildWindowExtras();
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
    auto input = [this](Field f) {
        auto* e = new InputField(QString());
        e->setObjectName(QLatin1String(psychro::fieldName(f)));
        m_fields[size_t(f)] = e;
        return e;
    };

    txtOutdoorTemp = input(Field::txtOutdoorTemp);
    txtReturnTemp = input(Field::txtReturnTemp);
    txtSupplyTemp = input(Field::txtSupplyTemp);
    derived(Field::txtMixedTemp);
    txtOutdoorRH = input(Field::txtOutdoorRH);
    txtReturnRH = input(Field::txtReturnRH);
    txtSupplyRH = input(Field::txtSupplyRH);
    derived(Field::txtMixedRH);
    txtOutdoorDew = derived(Field::txtOutdoorDew);
    derived(Field::txtReturnDew);
    derived(Field::txtSupplyDew);
    derived(Field::txtMixedDew);
    derived(Field::txtOutDoorWetBulb);
    derived(Field::txtReturnWetBulb);
    derived(Field::txtSupplyWetBulb);
    derived(Field::txtMixedWetBulb);
    derived(Field::txtOutdoorRatio);
    derived(Field::txtReturnRatio);
    derived(Field::txtSupplyRatio);
    derived(Field::txtMixedRatio);
    derived(Field::txtOutdoorEnthalpy);
    derived(Field::txtReturnEnthalpy);
    derived(Field::txtSupplyEnthalpy);
    derived(Field::txtMixedEnthalpy);
    derived(Field::txtOutdoorSpVol);
    derived(Field::txtReturnSpVol);
    derived(Field::txtSupplySpVol);
    derived(Field::txtMixedSpVol);
    derived(Field::txtOutdoorFlow);
    derived(Field::txtReturnFlow);
    txtSupplyFlow = input(Field::txtSupplyFlow);
    derived(Field::txtMixedFlow);
    derived(Field::txtOutdoorMass);
    derived(Field::txtReturnMass);
    derived(Field::txtSupplyMass);
    derived(Field::txtMixedMass);

    // One caption column serves the four states; the window shows the
    // SUPPLY captions there, the named captions of the other columns are
    // kept (hidden) for whoever reads them by name.
    // One caption column serves the four states; the window shows the
    // SUPPLY captions there, the named captions of the other columns are
    // kept (hidden) for whoever reads them by name.
    const char* captionNames[9] = {"lblSupplyDryBulb", "lblSupplyRH",    "lblSupplyDew",
                                   "lblSupplyWetBulb", "lblSupplyRatio", "lblSupplyEnthalpy",
                                   "lblSupplySpVOL",   "lblSupplyCFM",   "lblSupplyMass"};
    const auto& rows = psychro::sheetRows();
    for (int r = 0; r < 9; ++r) {
        grid->addWidget(label(QLatin1String(rows[size_t(r)].caption), captionNames[r]), r + 1, 0);
        for (int c = 0; c < 4; ++c) {
            QLineEdit* w = field(rows[size_t(r)].fields[size_t(c)]);
            w->setAlignment(Qt::AlignRight);
            w->setMinimumWidth(70);
            grid->addWidget(w, r + 1, c + 1);
        }
    }
    const std::pair<const char*, const char*> hidden[] = {{"lblOutdoorTemp", "Temperature (F)"},
                                                          {"lblOutdoorRH", "Rel Humidity %"},
                                                          {"lblOutdoorDew", "Dew Point (F)"},
                                                          {"lblReturnTemp", "Temperature (F)"}};
    for (const auto& [name, caption] : hidden) {
        QLabel* l = label(QLatin1String(caption), name);
        l->setParent(sheet);
        l->hide();
    }
    return sheet;
}

// The load's split on the coil (mixed to supply) and in the room (supply
// to return), read-only as the load is.
QGroupBox* Form1::buildCoilGroup() {
    frmCoil = named(new QGroupBox(psychro::coilCaption(false)), "frmCoil");
    auto* g = new QGridLayout(frmCoil);
    g->setVerticalSpacing(4);
    auto add = [&](Field f, int row, int column) {
        auto* e = named(new QLineEdit, psychro::fieldName(f));
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setAlignment(Qt::AlignRight);
        e->setMaximumWidth(100);
        m_fields[size_t(f)] = e;
        g->addWidget(e, row, column);
    };
    // Columns of the split, a row each for the coil and the room; the coil's
    // total is the cooling load above.
    int column = 1;
    for (const char* caption : {"Sensible", "Latent", "Total", "SHR"})
        g->addWidget(label(QString::fromLatin1(caption), "lblCoilColumn"), 0, column++,
                     Qt::AlignCenter);
    g->addWidget(label(QStringLiteral("Coil"), "lblCoil"), 1, 0);
    add(Field::txtCoilSensible, 1, 1);
    add(Field::txtCoilLatent, 1, 2);
    add(Field::txtCoilSHR, 1, 4);
    g->addWidget(label(QStringLiteral("Room"), "lblRoom"), 2, 0);
    add(Field::txtRoomSensible, 2, 1);
    add(Field::txtRoomLatent, 2, 2);
    add(Field::txtRoomTotal, 2, 3);
    add(Field::txtRoomSHR, 2, 4);
    g->addWidget(label(QStringLiteral("ADP (F)"), "lblCoilADP"), 3, 0);
    add(Field::txtCoilADP, 3, 1);
    g->addWidget(label(QStringLiteral("Bypass Factor"), "lblCoilBypass"), 3, 2, Qt::AlignRight);
    add(Field::txtCoilBypass, 3, 3);
    return frmCoil;
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
    picWarning->setPixmap(
        QPixmap::fromImage(chart::renderArtwork(assets::warning, devicePixelRatioF())));
    picWarning->hide();
    rg->addWidget(picWarning, 0, 2, 2, 1, Qt::AlignCenter);
    rg->setColumnStretch(2, 1);
    v->addWidget(results);
    v->addWidget(buildCoilGroup());

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
    txtFreshMix = named(new InputField(QString(), frmFreshAir), "txtFreshMix");
    m_fields[size_t(Field::txtFreshMix)] = txtFreshMix;
    txtFreshMix->setGeometry(16, 24, 60, 24);
    txtFreshMix->setAlignment(Qt::AlignRight);
    auto* pct = label(QStringLiteral("% Fresh Air"), "lblFreshMix");
    pct->setParent(frmFreshAir);
    pct->setGeometry(82, 24, 120, 24);
    SliderBackGrnd = named(new SliderTrack(frmFreshAir), "SliderBackGrnd");
    SliderBackGrnd->setGeometry(px(600), px(960), px(3270), px(585));
    SliderBackGrnd->setArtwork(chart::renderArtwork(assets::sliderTrack, devicePixelRatioF()));
    slider = named(new SliderKnob(SliderBackGrnd), "slider");
    slider->setGeometry(0, px(240), px(165), px(315));
    slider->setArtwork(chart::renderArtwork(assets::sliderKnob, devicePixelRatioF()));
    imglockclosed = named(new QLabel(frmFreshAir), "imglockclosed");
    imglockclosed->setPixmap(
        QPixmap::fromImage(chart::renderArtwork(assets::lockClosed, devicePixelRatioF())));
    imglockclosed->setGeometry(0, 0, px(255), px(255));
    imglockclosed->hide();
    imgLockOpen = named(new QLabel(frmFreshAir), "imgLockOpen");
    imgLockOpen->setPixmap(
        QPixmap::fromImage(chart::renderArtwork(assets::lockOpen, devicePixelRatioF())));
    imgLockOpen->setGeometry(0, 0, px(255), px(255));
    imgLockOpen->hide();
    Image1 = named(new ClickableImage(frmFreshAir), "Image1");
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
    for (const psychro::CityRow& row : psychro::cityTable())
        cmboCity->addItem(QString::fromLatin1(row.listText));
    cmboCity->setCurrentIndex(-1); // the Session selects its row at start-up
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

// --- The Session, both ways -----------------------------------------------

void Form1::bindSession() {
    model::Session& s = m_session;
    // Widget to Session: edits, focus lost, choices, the slider, timers.
    for (int i = 0; i < psychro::FieldCount; ++i) {
        auto* input = qobject_cast<InputField*>(m_fields[size_t(i)]);
        if (!input)
            continue;
        const Field f = Field(i);
        connect(input, &QLineEdit::textChanged, this,
                [this, f](const QString& text) { m_session.changeText(f, text); });
        connect(input, &InputField::focusLost, this, [this, f] { m_session.leaveField(f); });
    }
    // A pick emits the index change (when it is one) right before the
    // activation; an activation alone is the same row picked again, which
    // applies it again as a list click does.
    connect(cmboCity, &QComboBox::currentIndexChanged, this, [this](int row) {
        m_cityChangedBeforeActivation = true;
        m_session.chooseCity(row);
    });
    connect(cmboCity, &QComboBox::activated, this, [this](int row) {
        if (!m_cityChangedBeforeActivation)
            m_session.chooseCity(row);
        m_cityChangedBeforeActivation = false;
    });
    for (int i = 0; i < 2; ++i) {
        connect(OptCoolHeat[size_t(i)], &QRadioButton::clicked, this,
                [this, i] { m_session.chooseOperation(i); });
        connect(OptLive[size_t(i)], &QRadioButton::clicked, this,
                [this, i] { m_session.chooseLive(i); });
    }
    connect(SliderBackGrnd, &SliderTrack::mouseMoved, this, [this](double x) {
        m_session.moveSlider(x, SliderBackGrnd->widthTwips(), slider->widthTwips());
    });
    connect(slider, &SliderKnob::doubleClicked, &s, &model::Session::toggleSliderLock);
    connect(Image1, &ClickableImage::clicked, &s, &model::Session::toggleSliderLock);
    connect(cmdLiveSet, &QPushButton::clicked, this, &Form1::cmdLiveSet_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &Form1::cmdPrint_Click);
    connect(Timer1, &QTimer::timeout, &s, &model::Session::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, [this] {
        chart::Timer2_Timer(picGraph->surface(), m_session.chart(), m_anim);
        picGraph->update();
    });

    // Session to widget.
    connect(&s, &model::Session::fieldChanged, this, &Form1::showField);
    connect(&s, &model::Session::recomputed, this, &Form1::showRecomputed);
    connect(&s, &model::Session::animationReset, this, [this](bool whole) {
        m_anim = whole ? chart::AnimationState{} : chart::AnimationState{0, 0, m_anim.LineIndex};
    });
    connect(&s, &model::Session::shareChanged, this, &Form1::placeKnob);
    connect(&s, &model::Session::sliderLockChanged, this, &Form1::showLock);
    connect(&s, &model::Session::cityChanged, this, [this] {
        const QSignalBlocker block(cmboCity);
        cmboCity->setCurrentIndex(m_session.cityRow());
    });
    connect(&s, &model::Session::operationChanged, this,
            [this] { OptCoolHeat[size_t(m_session.operation())]->setChecked(true); });
    connect(&s, &model::Session::liveFeedChanged, this, [this] {
        OptLive[m_session.liveFeed() ? 0 : 1]->setChecked(true);
        if (m_session.liveFeed())
            Timer1->start(); // the next refresh a full interval away
    });
    connect(&s, &model::Session::liveViewChanged, this, &Form1::showLiveView);
    connect(&s, &model::Session::livePanelChanged, this, &Form1::showLivePanel);
    connect(&s, &model::Session::refreshingChanged, this, [this] {
        // The settings cannot change under a refresh that is reading them.
        cmdLiveSet->setEnabled(!m_session.refreshing());
        if (m_session.refreshing())
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    connect(&s, &model::Session::message, this, [this](const QString& text) { messageBox(text); });

    for (int i = 0; i < psychro::FieldCount; ++i)
        showField(Field(i));
    placeKnob();
    showLock();
}

void Form1::showField(Field f) {
    QLineEdit* e = field(f);
    if (e && e->text() != m_session.text(f))
        e->setText(m_session.text(f));
}

// A recompute's results: every field's text, what the warning hides, and
// both charts drawn from the new state.
void Form1::showRecomputed() {
    for (int i = 0; i < psychro::FieldCount; ++i)
        showField(Field(i));
    const bool warning = m_session.warning();
    for (Field f : psychro::warningFields())
        field(f)->setVisible(!warning);
    // A load computed from values that could not be read off the chart is
    // no load: it goes with them.
    txtLoad->setVisible(!warning);
    frmCoil->setTitle(psychro::coilCaption(m_session.operation() == 1));
    picWarning->setVisible(warning);
    drawCharts();
}

void Form1::setCoilLine(bool on) {
    viewoptions::setCoilLine(on);
    m_session.setCoilLine(on);
    drawCharts();
}

void Form1::drawCharts() {
    Timer2->stop(); // no tick on a half-drawn chart
    setCursor(Qt::WaitCursor);
    chart::ImageSurface& g = picGraph->surface();
    chart::ImageSurface& c = picChart->surface();
    const psychro::ChartState& state = m_session.chart();
    for (auto [surface, art] :
         {std::pair{&g, assets::graphBackground}, std::pair{&c, assets::chartBackground}}) {
        // A surface made anew (a new size or pixel ratio) gets its
        // background, font and scale once; they stay for every redraw.
        if (surface->picture().isNull()) {
            surface->Picture(chart::renderArtwork(art, surface->devicePixelRatio()));
            chart::SetScale(*surface, state.objMyGraph);
        }
        surface->Cls();
    }
    chart::drawPsychrometricChart(g, state);
    g.KeepAsDrawn();
    if (m_session.liveFeed()) {
        const model::ObservationHistory& h = m_session.history();
        chart::Plot_Time_Axis(c, state.objMyGraph);
        chart::Plot_History(c, state.objMyGraph, h.obsTime, h.obsTemperature, h.obsDewPoint,
                            m_session.feedSettings().gGMTOffset);
    }
    picGraph->update();
    picChart->update();
    unsetCursor();
    Timer2->start();
}

// Knob left edge = travel x share, the travel being track less knob width.
void Form1::placeKnob() {
    const double travel = SliderBackGrnd->widthTwips() - slider->widthTwips();
    slider->setLeftTwips(travel * double(m_session.freshAirShare()));
}

// Closed: the closed lock on a raised 3-D button. Open: the open lock, flat
// and borderless.
void Form1::showLock() {
    if (m_session.sliderEnabled()) {
        Image1->setPixmap(imgLockOpen->pixmap());
        Image1->setFrameStyle(QFrame::NoFrame);
    } else {
        Image1->setPixmap(imglockclosed->pixmap());
        Image1->setFrameStyle(QFrame::Panel | QFrame::Raised);
        Image1->setLineWidth(1);
    }
}

void Form1::showLiveView() {
    const bool live = m_session.liveView();
    picChart->setVisible(live);
    txtOutdoorTemp->setEnabled(!live);
    txtOutdoorRH->setEnabled(!live);
    if (live)
        txtOutdoorDew->setEnabled(false); // stays so after the switch back
    cmboCity->setVisible(!live);
    frmLive->setVisible(live);
}

void Form1::showLivePanel() {
    const model::LivePanel& p = m_session.livePanel();
    lblTime->setText(p.lblTime);
    lblTempF->setText(p.lblTempF);
    lblTempC->setText(p.lblTempC);
    lblRH->setText(p.lblRH);
    lblDewF->setText(p.lblDewF);
    lblDewC->setText(p.lblDewC);
}

void Form1::cmdLiveSet_Click() {
    if (m_session.refreshing())
        return;
    {
        frmXMLFeed dialog(m_session, this);
        runFeedDialog(dialog);
    }
    m_session.settingsEdited();
}

void Form1::cmdPrint_Click() {
    // Cancelling the dialog counts as a failure: nothing is printed.
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Quorvel Psychrometry report"));
    bool ok = runPrintDialog && runPrintDialog(printer);
    if (ok) {
        // The one chance for events queued while the dialog was open, before
        // the chart's scale is switched.
        QCoreApplication::processEvents();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ok = printer.isValid() && print::printSession(printer, m_session, picGraph->surface()) &&
             printer.printerState() != QPrinter::Error;
        QApplication::restoreOverrideCursor();
    }
    if (!ok)
        messageBox(QStringLiteral("Print Failed"));
}

} // namespace ui
