// What makes the window pleasant beyond its fixed form: it resizes with
// the charts drawn anew at the new size, reads the chart out under the
// pointer, exports and copies, and moves through the sheet by keyboard.
#include "ui/form1.h"

#include "ui/input_widgets.h"
#include "ui/surface_widget.h"
#include "ui/view_options.h"
#include "ui/window_layout.h"

#include "chart/chart_export.h"
#include "model/sheet_export.h"

#include "fileio/safe_write.h"
#include "psychro/chart_geometry.h"
#include "psychro/numconv.h"
#include "psychro/properties.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QShortcut>
#include <QStatusBar>

#include <algorithm>
#include <cmath>

namespace ui {

using psychro::Field;

namespace {

using namespace layout;
constexpr double MinZoom = 0.75;

QString unitTip(const psychro::SheetRow& row, int column) {
    static const char* states[4] = {"Outdoor", "Return", "Supply", "Mixed air"};
    const QString caption = QString::fromLatin1(row.caption);
    QString what = caption, unit;
    if (caption.startsWith(u'T')) {
        what = QStringLiteral("dry bulb");
        unit = QStringLiteral("°F");
    } else if (caption.startsWith(QStringLiteral("Rel"))) {
        what = QStringLiteral("relative humidity");
        unit = QStringLiteral("%");
    } else if (caption.startsWith(u'D')) {
        what = QStringLiteral("dew point");
        unit = QStringLiteral("°F");
    } else if (caption.startsWith(u'W')) {
        what = QStringLiteral("wet bulb");
        unit = QStringLiteral("°F");
    } else if (caption.startsWith(u'H')) {
        what = QStringLiteral("humidity ratio");
        unit = QStringLiteral("lb water / lb dry air");
    } else if (caption.startsWith(u'E')) {
        what = QStringLiteral("enthalpy");
        unit = QStringLiteral("BTU / lb dry air");
    } else if (caption.startsWith(u'S')) {
        what = QStringLiteral("specific volume");
        unit = QStringLiteral("cu ft / lb dry air");
    } else if (caption.startsWith(u'A')) {
        what = QStringLiteral("air flow");
        unit = QStringLiteral("CFM (cu ft / min)");
    } else {
        what = QStringLiteral("mass flow");
        unit = QStringLiteral("lb / hr");
    }
    return QStringLiteral("%1 %2, %3").arg(QLatin1String(states[column]), what, unit);
}

} // namespace

void Form1::buildWindowExtras() {
    // Menus with the platform's usual shortcuts.
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    buildFileMenu(file);
    QAction* printAct = file->addAction(tr("&Print..."), this, &Form1::cmdPrint_Click);
    printAct->setShortcut(QKeySequence::Print);
    printAct->setObjectName(QStringLiteral("actionPrint"));
    QMenu* exportMenu = file->addMenu(tr("&Export Chart"));
    exportMenu
        ->addAction(
            tr("As &PNG..."), this,
            [this] { exportChartInteractive(QStringLiteral("png"), tr("PNG image (*.png)")); })
        ->setObjectName(QStringLiteral("actionExportPng"));
    exportMenu
        ->addAction(
            tr("As &SVG..."), this,
            [this] { exportChartInteractive(QStringLiteral("svg"), tr("SVG drawing (*.svg)")); })
        ->setObjectName(QStringLiteral("actionExportSvg"));
    exportMenu
        ->addAction(
            tr("As P&DF..."), this,
            [this] { exportChartInteractive(QStringLiteral("pdf"), tr("PDF document (*.pdf)")); })
        ->setObjectName(QStringLiteral("actionExportPdf"));
    file->addAction(tr("Save Sheet as &CSV..."), this, &Form1::saveSheetAsCsv)
        ->setObjectName(QStringLiteral("actionSaveCsv"));
    file->addSeparator();
    QAction* quit = file->addAction(tr("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);
    quit->setObjectName(QStringLiteral("actionQuit"));
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    QAction* copy = edit->addAction(tr("&Copy Sheet"), this, &Form1::copySheet);
    copy->setObjectName(QStringLiteral("actionCopySheet"));
    copy->setShortcut(QKeySequence::Copy);
    // Ctrl+C copies the sheet unless a field with selected text has the focus.
    copy->setShortcutContext(Qt::WindowShortcut);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    m_coilLineAction = view->addAction(tr("Coil &Line"));
    m_coilLineAction->setObjectName(QStringLiteral("actionCoilLine"));
    m_coilLineAction->setCheckable(true);
    m_coilLineAction->setChecked(viewoptions::coilLine());
    m_session.setCoilLine(m_coilLineAction->isChecked());
    connect(m_coilLineAction, &QAction::toggled, this, &Form1::setCoilLine);

    // Read-out of the chart under the pointer.
    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("chartReadout"));
    statusBar()->addWidget(m_readout, 1);
    connect(picGraph, &SurfaceWidget::pointerMoved, this,
            [this](QPointF user) { m_readout->setText(readout(user)); });
    connect(picGraph, &SurfaceWidget::pointerLeft, m_readout, &QLabel::clear);

    picChart->installEventFilter(this);

    // A surface redrawn at a new size or pixel ratio starts blank; the
    // state it shows has not changed, so it is drawn, not recomputed.
    for (SurfaceWidget* w : {picGraph, picChart})
        connect(w, &SurfaceWidget::surfaceReplaced, this, &Form1::drawCharts);

    // Keyboard: through the sheet, state by state, then flow and fresh air.
    QWidget* order[] = {txtOutdoorTemp, txtOutdoorRH, txtReturnTemp, txtReturnRH,
                        txtSupplyTemp,  txtSupplyRH,  txtSupplyFlow, txtFreshMix};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    const auto& rows = psychro::sheetRows();
    for (const psychro::SheetRow& row : rows)
        for (int c = 0; c < 4; ++c)
            field(row.fields[size_t(c)])->setToolTip(unitTip(row, c));
    txtLoad->setToolTip(tr("Cooling load of the coil, BTU / hr"));
    txtCondensate->setToolTip(tr("Condensate from the coil, US gal / min"));
    txtFreshMix->setToolTip(tr("Share of outdoor air in the supply air, %"));
    for (Field f : {Field::txtCoilSensible, Field::txtCoilLatent, Field::txtRoomSensible,
                    Field::txtRoomLatent, Field::txtRoomTotal})
        field(f)->setToolTip(tr("BTU / hr"));
    for (Field f : {Field::txtCoilSHR, Field::txtRoomSHR})
        field(f)->setToolTip(tr("Sensible heat ratio: sensible over total"));
    field(Field::txtCoilADP)->setToolTip(tr("Apparatus dew point, F"));
    field(Field::txtCoilBypass)->setToolTip(tr("Bypass factor of the coil"));

    // Resizable down to three quarters of the chart's size.
    const QSize full(Margin + picGraph->width() + ColumnGap + SidePanelWidth + Margin,
                     px(ChartTop) + picChart->height() + Margin);
    const QSize least(int(Margin + picGraph->width() * MinZoom) + ColumnGap + SidePanelWidth +
                          Margin,
                      std::max(int((px(ChartTop) + picChart->height()) * MinZoom) + Margin,
                               m_sidePanel->sizeHint().height() + 2 * Margin));
    centralWidget()->setMinimumSize(least);
    resize(full.width(),
           full.height() + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

void Form1::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    layoutCharts();
}

// Scales the chart column to the space there is, keeping its proportions,
// so the chart is always shown whole. Without the history chart (manual
// entry) the psychrometric chart takes the column's whole height.
void Form1::layoutCharts() {
    const QSize area = centralWidget()->size();
    const QSize graphAt1 = picGraph->sizeAtZoom(1.0), chartAt1 = picChart->sizeAtZoom(1.0);
    const int columnAt1 = picChart->isVisibleTo(this) ? px(ChartTop) + chartAt1.height()
                                                      : px(GraphTop) + graphAt1.height();
    const double zoomW =
        double(area.width() - Margin - ColumnGap - SidePanelWidth - Margin) / graphAt1.width();
    const double zoomH = double(area.height() - Margin) / columnAt1;
    // The floor only keeps a collapsing window from asking for empty images.
    constexpr double LeastZoom = 0.1;
    const double zoom = std::max(LeastZoom, std::min(zoomW, zoomH));
    const QSignalBlocker block(picGraph); // one redraw for both surfaces
    picGraph->setZoom(zoom);
    picChart->setZoom(zoom);
    picGraph->move(Margin, int(std::lround(px(GraphTop) * zoom)));
    picChart->move(Margin, int(std::lround(px(ChartTop) * zoom)));
    m_sidePanel->setGeometry(Margin + picGraph->width() + ColumnGap, Margin, SidePanelWidth,
                             area.height() - 2 * Margin);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    // Showing or hiding the history chart changes the column's height.
    if (watched == picChart && isVisible() &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        layoutCharts();
    return QMainWindow::eventFilter(watched, event);
}

QString Form1::readout(const QPointF& user) const {
    const psychro::clsGraph& g = m_session.chart().objMyGraph;
    const double x = user.x(), y = user.y();
    if (!(x >= g.sngMinXValue && x <= g.sngMaxXValue && y >= g.sngMinYValue && y <= g.sngMaxYValue))
        return QString();
    const double T = psychro::temperatureOfX(g, x), W = psychro::ratioOfY(g, y);
    const QString dryBulb = psychro::FormatNumber(T, QStringLiteral("#0.0"));
    const QString ratio = psychro::FormatNumber(W, QStringLiteral(".00000"));
    // Air cannot hold more water than saturation: nothing there to read.
    if (y > psychro::saturationYOfX(g, x))
        return tr("Dry bulb %1 °F    Humidity ratio %2 lb/lb    above saturation")
            .arg(dryBulb, ratio);
    const psychro::LineTables& t = m_session.chart().tables;
    // The sheet's own routines, with a flag of their own: reading the chart
    // must not touch the redraw's failure flag.
    bool failed = false;
    QString dew, wet, vol, enthalpy;
    psychro::CalcDewPoint(float(y), dew, t, failed);
    const bool dewOk = !failed;
    failed = false;
    psychro::CalcWetBulb(float(x), float(y), wet, t, failed);
    const bool wetOk = !failed;
    failed = false;
    psychro::CalcSpVol(float(x), float(y), vol, t, failed);
    const bool volOk = !failed;
    psychro::CalcEnthalpy(float(T), float(W), enthalpy);
    const QString none = QStringLiteral("–");
    return tr("Dry bulb %1 °F    Humidity ratio %2 lb/lb    Dew point %3 °F    Wet bulb %4 °F    "
              "Specific volume %5 cu ft/lb    Enthalpy %6 BTU/lb")
        .arg(dryBulb, ratio, dewOk ? dew : none, wetOk ? wet : none, volOk ? vol : none, enthalpy);
}

void Form1::exportChartInteractive(const QString& suffix, const QString& filter) {
    QString name = QFileDialog::getSaveFileName(
        this, tr("Export Chart"), QStringLiteral("psychrometric-chart.") + suffix, filter);
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += u'.' + suffix;
    QString error;
    QByteArray bytes;
    if (!chart::encodeChart(m_session.chart(), QFileInfo(name).suffix().toLower(), &bytes,
                            &error) ||
        !fileio::writeFile(name, bytes, &error))
        messageBox(tr("Export failed: %1").arg(error));
}

void Form1::copySheet() {
    // A field with selected text copies the selection, as text fields do.
    if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        edit && edit->hasSelectedText()) {
        edit->copy();
        return;
    }
    QApplication::clipboard()->setText(model::sheetAsTsv(m_session));
}

void Form1::saveSheetAsCsv() {
    QString name = QFileDialog::getSaveFileName(this, tr("Save Sheet"), QStringLiteral("sheet.csv"),
                                                tr("CSV file (*.csv)"));
    if (name.isEmpty())
        return;
    QString error;
    if (!fileio::writeFile(name, model::sheetAsCsv(m_session).toUtf8(), &error))
        messageBox(tr("Could not save the sheet: %1").arg(error));
}

} // namespace ui
