// The window's controls, by their historic names: the chart column on the
// left, the side panel (the sheet, the results, the coil and room, the
// operation, the fresh air, the design points and the live panel) on the
// right, in a scroll area of its own so that the window fits small screens.
#include "ui/form1.h"

#include "ui/chart_column.h"
#include "ui/chart_painter.h"
#include "ui/input_widgets.h"
#include "ui/method_box.h"
#include "ui/named.h"
#include "ui/surface_widget.h"
#include "ui/weather_panel.h"
#include "ui/window_layout.h"

#include "assets.h"
#include "chart/artwork.h"
#include "chart/chart_export.h"
#include "psychro/coil.h"
#include "psychro/design_cities.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace ui {

using psychro::Field;

namespace {

using namespace layout;

QLabel* label(const QString& caption, const char* name = nullptr) {
    auto* l = new QLabel(caption);
    if (name)
        l->setObjectName(QLatin1String(name));
    return l;
}

// A control hidden keeps its place, as on a form of fixed positions:
// nothing under the pointer moves when the warning or the live panel
// comes and goes.
void keepPlace(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

// The window's own field colours, set role by role so that they hold
// inside the side panel's read-only palette.
QPalette inputPalette(const QWidget* w) {
    QPalette p = QApplication::palette(w);
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Text})
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            p.setColor(group, role, p.color(group, role));
    return p;
}

QGridLayout* tightGrid(QWidget* on) {
    auto* g = new QGridLayout(on);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(FieldSpacing);
    return g;
}

} // namespace

// Read-only values stay black on a light grey (about 17:1), as readable as
// what is typed. The side panel's palette makes every field read-only
// grey; the input fields take the window's own colours while typed into.
// Palettes, not a style sheet, which would slow every paint of the sheet.
void Form1::showReadOnly(QLineEdit* e, bool readOnly) {
    e->setReadOnly(readOnly);
    e->setFocusPolicy(readOnly ? Qt::NoFocus : Qt::StrongFocus);
    if (readOnly)
        e->setPalette(QPalette());
    else
        e->setPalette(inputPalette(e));
}

QLineEdit* Form1::makeField(Field f) {
    const auto& inputs = psychro::inputFields();
    QLineEdit* e = std::find(inputs.begin(), inputs.end(), f) != inputs.end()
                       ? new InputField(QString())
                       : new QLineEdit;
    e->setObjectName(QLatin1String(psychro::fieldName(f)));
    e->setAlignment(Qt::AlignRight);
    if (qobject_cast<InputField*>(e)) {
        e->setPalette(inputPalette(e));
    } else {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    m_fields[size_t(f)] = e;
    return e;
}

void Form1::buildControls() {
    auto* central = named(new QWidget(this), "centralWidget");
    setCentralWidget(central);
    picGraph = named(new SurfaceWidget(chart::GraphWidthPx, chart::GraphHeightPx), "picGraph");
    picChart = named(new SurfaceWidget(chart::HistoryWidthPx, chart::HistoryHeightPx), "picChart");
    picChart->hide();
    m_chartColumn =
        new ChartColumn(new MethodBox(m_session), picGraph, picChart, new WeatherPanel(m_session));

    // The side panel is built inside its scroll area: moved there whole
    // afterwards, every control would take on the style once more.
    m_sideScroll = named(new QScrollArea(central), "sidePanelScroll");
    m_sidePanel = buildSidePanel(m_sideScroll->viewport());
    m_sideScroll->setWidget(m_sidePanel);
    m_sideScroll->setFrameShape(QFrame::NoFrame);
    m_sideScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_sideScroll->setWidgetResizable(true);
    m_sideScroll->setFixedWidth(SidePanelWidth +
                                m_sideScroll->verticalScrollBar()->sizeHint().width());

    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(Margin, Margin, Margin, Margin);
    row->setSpacing(ColumnGap);
    row->addWidget(m_chartColumn, 1);
    row->addWidget(m_sideScroll, 0);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(40000);
    m_charts = new ChartPainter(m_session, picGraph, picChart, this);
    buildWindowExtras();
}

QWidget* Form1::buildSidePanel(QWidget* parent) {
    auto* side = named(new QWidget(parent), "sidePanel");
    side->setFixedWidth(SidePanelWidth);
    auto* v = new QVBoxLayout(side);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(GroupSpacing);
    // The groups of fields take the read-only colours; see showReadOnly.
    QPalette readOnly = side->palette();
    readOnly.setColor(QPalette::Base, QColor(0xec, 0xef, 0xf2));
    readOnly.setColor(QPalette::Text, Qt::black);
    for (QWidget* group : {buildSheet(), buildResults(), static_cast<QWidget*>(buildCoilGroup())}) {
        group->setPalette(readOnly);
        v->addWidget(group);
    }
    auto* middle = new QHBoxLayout;
    middle->setSpacing(GroupSpacing);
    middle->addWidget(buildOperation());
    middle->addWidget(buildFreshAir());
    v->addLayout(middle);
    v->addWidget(buildDesignPoints());
    v->addStretch(1);
    for (Field f : psychro::warningFields())
        keepPlace(field(f));
    for (QWidget* w : std::initializer_list<QWidget*>{txtLoad, picWarning, cmboCity, frmLive})
        keepPlace(w);
    return side;
}

QWidget* Form1::buildSheet() {
    auto* sheet = named(new QWidget, "stateSheet");
    QGridLayout* grid = tightGrid(sheet);
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
    // One caption column serves the four states; the window shows the
    // SUPPLY captions there, the named captions of the other columns are
    // kept (hidden) for whoever reads them by name.
    const char* captionNames[9] = {"lblSupplyDryBulb", "lblSupplyRH",    "lblSupplyDew",
                                   "lblSupplyWetBulb", "lblSupplyRatio", "lblSupplyEnthalpy",
                                   "lblSupplySpVOL",   "lblSupplyCFM",   "lblSupplyMass"};
    const auto& rows = psychro::sheetRows();
    for (int r = 0; r < 9; ++r) {
        m_rowCaptions[size_t(r)] = label(QLatin1String(rows[size_t(r)].caption), captionNames[r]);
        grid->addWidget(m_rowCaptions[size_t(r)], r + 1, 0);
        for (int c = 0; c < 4; ++c) {
            QLineEdit* w = makeField(rows[size_t(r)].fields[size_t(c)]);
            w->setMinimumWidth(70);
            grid->addWidget(w, r + 1, c + 1);
        }
    }
    txtOutdoorTemp = static_cast<InputField*>(field(Field::txtOutdoorTemp));
    txtOutdoorRH = static_cast<InputField*>(field(Field::txtOutdoorRH));
    txtReturnTemp = static_cast<InputField*>(field(Field::txtReturnTemp));
    txtReturnRH = static_cast<InputField*>(field(Field::txtReturnRH));
    txtSupplyTemp = static_cast<InputField*>(field(Field::txtSupplyTemp));
    txtSupplyRH = static_cast<InputField*>(field(Field::txtSupplyRH));
    txtSupplyFlow = static_cast<InputField*>(field(Field::txtSupplyFlow));
    txtOutdoorDew = field(Field::txtOutdoorDew);
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

// The load and the condensate, with the warning picture beside them.
QWidget* Form1::buildResults() {
    auto* results = named(new QWidget, "results");
    QGridLayout* g = tightGrid(results);
    txtLoad = makeField(Field::txtLoad);
    txtCondensate = makeField(Field::txtCondensate);
    for (QLineEdit* e : {txtLoad, txtCondensate})
        e->setMaximumWidth(110);
    lblLoad = label(QStringLiteral("Cooling Load (BTU/hr)"), "lblLoad");
    lblCondensate = label(QStringLiteral("Condensate (GPM)"), "lblCondensate");
    g->addWidget(lblLoad, 0, 0);
    g->addWidget(txtLoad, 0, 1);
    g->addWidget(lblCondensate, 1, 0);
    g->addWidget(txtCondensate, 1, 1);
    picWarning = named(new QLabel, "picWarning");
    picWarning->setPixmap(
        QPixmap::fromImage(chart::renderArtwork(assets::warning, devicePixelRatioF())));
    picWarning->hide();
    g->addWidget(picWarning, 0, 2, 2, 1, Qt::AlignCenter);
    g->setColumnStretch(2, 1);
    return results;
}

// The load's split on the coil (mixed to supply) and in the room (supply
// to return), read-only as the load is.
QGroupBox* Form1::buildCoilGroup() {
    frmCoil = named(new QGroupBox(psychro::coilCaption(false)), "frmCoil");
    auto* g = new QGridLayout(frmCoil);
    g->setContentsMargins(GroupMargin, GroupMargin, GroupMargin, GroupMargin);
    g->setVerticalSpacing(FieldSpacing);
    auto add = [&](Field f, int row, int column) {
        QLineEdit* e = makeField(f);
        e->setMaximumWidth(100);
        g->addWidget(e, row, column);
    };
    int column = 1;
    for (const char* caption : {"Sensible", "Latent", "Total", "SHR"})
        g->addWidget(label(QString::fromLatin1(caption), "lblCoilColumn"), 0, column++,
                     Qt::AlignCenter);
    g->addWidget(label(QStringLiteral("Coil"), "lblCoil"), 1, 0);
    add(Field::txtCoilSensible, 1, 1);
    add(Field::txtCoilLatent, 1, 2);
    add(Field::txtCoilTotal, 1, 3);
    add(Field::txtCoilSHR, 1, 4);
    g->addWidget(label(QStringLiteral("Room"), "lblRoom"), 2, 0);
    add(Field::txtRoomSensible, 2, 1);
    add(Field::txtRoomLatent, 2, 2);
    add(Field::txtRoomTotal, 2, 3);
    add(Field::txtRoomSHR, 2, 4);
    lblCoilADP = label(QStringLiteral("ADP (F)"), "lblCoilADP");
    g->addWidget(lblCoilADP, 3, 0);
    add(Field::txtCoilADP, 3, 1);
    g->addWidget(label(QStringLiteral("Bypass Factor"), "lblCoilBypass"), 3, 2, Qt::AlignRight);
    add(Field::txtCoilBypass, 3, 3);
    return frmCoil;
}

QGroupBox* Form1::buildOperation() {
    Frame1 = named(new QGroupBox(QStringLiteral("Operation")), "Frame1");
    auto* f1 = new QVBoxLayout(Frame1);
    f1->setContentsMargins(GroupMargin, GroupMargin, GroupMargin, GroupMargin);
    OptCoolHeat[0] =
        named(new QRadioButton(QStringLiteral("Cooling with Dehumidifcation")), "OptCoolHeat_0");
    OptCoolHeat[1] =
        named(new QRadioButton(QStringLiteral("Heating with Humidification")), "OptCoolHeat_1");
    OptCoolHeat[0]->setChecked(true);
    f1->addWidget(OptCoolHeat[0]);
    f1->addWidget(OptCoolHeat[1]);
    return Frame1;
}

// The share as a number, and the slider with its lock, at the frame's
// twip positions (moved up by one line: the frame's caption is its own).
QGroupBox* Form1::buildFreshAir() {
    constexpr int Up = 270; // twips
    frmFreshAir = named(new QGroupBox(QStringLiteral("Fresh Air Mix")), "frmFreshAir");
    frmFreshAir->setFixedSize(px(3270 + 600 + 240), px(960 + 585 + 240 - Up));
    txtFreshMix = named(new InputField(QString(), frmFreshAir), "txtFreshMix");
    m_fields[size_t(Field::txtFreshMix)] = txtFreshMix;
    txtFreshMix->setGeometry(16, 22, 60, 24);
    txtFreshMix->setAlignment(Qt::AlignRight);
    auto* pct = label(QStringLiteral("% Fresh Air"), "lblFreshMix");
    pct->setParent(frmFreshAir);
    pct->setGeometry(82, 22, 120, 24);
    SliderBackGrnd = named(new SliderTrack(frmFreshAir), "SliderBackGrnd");
    SliderBackGrnd->setGeometry(px(600), px(960 - Up), px(3270), px(585));
    SliderBackGrnd->setArtwork(chart::renderArtwork(assets::sliderTrack, devicePixelRatioF()));
    slider = named(new SliderKnob(SliderBackGrnd), "slider");
    slider->setGeometry(0, px(240), px(165), px(315));
    slider->setArtwork(chart::renderArtwork(assets::sliderKnob, devicePixelRatioF()));
    auto lockImage = [this](const char* name, const char* art) {
        auto* l = named(new QLabel(frmFreshAir), name);
        l->setPixmap(QPixmap::fromImage(chart::renderArtwork(art, devicePixelRatioF())));
        l->setGeometry(0, 0, px(255), px(255));
        l->hide();
        return l;
    };
    imglockclosed = lockImage("imglockclosed", assets::lockClosed);
    imgLockOpen = lockImage("imgLockOpen", assets::lockOpen);
    Image1 = named(new ClickableImage(frmFreshAir), "Image1");
    Image1->setGeometry(px(240), px(1080 - Up), px(315), px(315));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(imglockclosed->pixmap());
    return frmFreshAir;
}

// The design city, or in its place the live observations; the outdoor
// source, its settings and the print button below them.
QGroupBox* Form1::buildDesignPoints() {
    Frame2 = named(new QGroupBox(QStringLiteral("Design Points")), "Frame2");
    auto* f2 = new QGridLayout(Frame2);
    f2->setContentsMargins(GroupMargin, GroupMargin, GroupMargin, GroupMargin);
    f2->setVerticalSpacing(FieldSpacing);
    cmboCity = named(new CityList, "cmboCity");
    cmboCity->setMaxVisibleItems(20);
    for (const psychro::CityRow& row : psychro::cityTable())
        cmboCity->addItem(QString::fromLatin1(row.listText));
    cmboCity->setCurrentIndex(-1); // the Session selects its row at start-up
    f2->addWidget(cmboCity, 0, 0, 1, 4, Qt::AlignTop);
    f2->addWidget(buildLivePanel(), 0, 0, 1, 4);
    OptLive[0] = named(new QRadioButton(QStringLiteral("Live  Feed")), "OptLive_0");
    OptLive[1] = named(new QRadioButton(QStringLiteral("Manual Entry ")), "OptLive_1");
    OptLive[1]->setChecked(true);
    cmdLiveSet = named(new QPushButton(QStringLiteral("XML Setup")), "cmdLiveSet");
    cmdPrint = named(new QPushButton(QStringLiteral("Print")), "cmdPrint");
    f2->addWidget(OptLive[0], 1, 0);
    f2->addWidget(OptLive[1], 1, 1);
    f2->addWidget(cmdLiveSet, 1, 2);
    f2->addWidget(cmdPrint, 1, 3);
    return Frame2;
}

// Live observations, shown only while the feed is on.
QGroupBox* Form1::buildLivePanel() {
    frmLive = named(new QGroupBox(QStringLiteral("  Live Data")), "frmLive");
    auto* fl = new QGridLayout(frmLive);
    fl->setContentsMargins(GroupMargin, 2, GroupMargin, 2);
    fl->setVerticalSpacing(0);
    lblTime = label(QStringLiteral("lblTime"), "lblTime");
    lblTempF = label(QStringLiteral("lblTempF"), "lblTempF");
    lblTempC = label(QStringLiteral("lblTempC"), "lblTempC");
    lblRH = label(QStringLiteral("lblRH"), "lblRH");
    lblDewF = label(QStringLiteral("lblDewF"), "lblDewF");
    lblDewC = label(QStringLiteral("lblDewC"), "lblDewC");
    lblAge = label(QString(), "lblAge");
    // The station's text is shown as it came, never interpreted as markup:
    // the feed is plain HTTP and anyone on the path can write into it.
    for (QLabel* l : {lblTime, lblTempF, lblTempC, lblRH, lblDewF, lblDewC, lblAge})
        l->setTextFormat(Qt::PlainText);
    fl->addWidget(label(QStringLiteral("Time:"), "lblTimeCaption"), 0, 0);
    fl->addWidget(lblTime, 0, 1, 1, 2);
    fl->addWidget(lblAge, 0, 3);
    fl->addWidget(lblTempF, 1, 0, 1, 2);
    fl->addWidget(lblTempC, 1, 2);
    fl->addWidget(lblRH, 1, 3);
    fl->addWidget(lblDewF, 2, 0, 1, 2);
    fl->addWidget(lblDewC, 2, 2);
    frmLive->hide();
    return frmLive;
}

} // namespace ui
