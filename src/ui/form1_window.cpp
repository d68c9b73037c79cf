// What makes the window pleasant beyond its fixed form: menus, the chart's
// read-out under the pointer, tooltips that give units, a first size that
// fits the screen, exports and copies, and the keyboard through the sheet.
#include "ui/form1.h"

#include "ui/chart_column.h"
#include "ui/chart_painter.h"
#include "ui/input_widgets.h"
#include "ui/surface_widget.h"
#include "ui/view_options.h"
#include "ui/window_layout.h"

#include "chart/chart_export.h"
#include "model/sheet_export.h"

#include "fileio/safe_write.h"
#include "model/readout.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>

#include <algorithm>
#include <cmath>

namespace ui {

using psychro::Field;

namespace {

using namespace layout;

// Room the window manager's frame takes around the window, until it is
// shown and known: a title bar and thin borders.
constexpr int FrameAllowanceX = 16, FrameAllowanceY = 30;

} // namespace

void Form1::buildWindowExtras() {
    buildMenus();
    // Read-out of the chart under the pointer; on the right, the feed's
    // state and a settings file that could not be read.
    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("chartReadout"));
    statusBar()->addWidget(m_readout, 1);
    m_statusNote = new QLabel(this);
    m_statusNote->setObjectName(QStringLiteral("statusNote"));
    statusBar()->addPermanentWidget(m_statusNote);
    connect(picGraph, &SurfaceWidget::pointerMoved, this, [this](QPointF user) {
        m_readout->setText(model::readout(m_session.chart(), user.x(), user.y()));
    });
    connect(picGraph, &SurfaceWidget::pointerLeft, m_readout, &QLabel::clear);

    connect(m_chartColumn, &ChartColumn::chartsReplaced, m_charts, &ChartPainter::schedule);

    // Keyboard: through the sheet, state by state, then flow and fresh air.
    const auto& inputs = psychro::inputFields();
    for (size_t i = 0; i + 1 < inputs.size(); ++i)
        setTabOrder(field(inputs[i]), field(inputs[i + 1]));
    showUnits();
    connect(&m_session, &model::Session::methodChanged, this, &Form1::showUnits);
    fitToScreen();
}

void Form1::buildMenus() {
    // Menus with the platform's usual shortcuts.
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    buildFileMenu(file);
    QAction* printAct = file->addAction(tr("&Print..."), this, &Form1::cmdPrint_Click);
    printAct->setShortcut(QKeySequence::Print);
    printAct->setObjectName(QStringLiteral("actionPrint"));
    QMenu* exportMenu = file->addMenu(tr("&Export Chart"));
    for (const auto& [suffix, text, filter] :
         {std::tuple{"png", "As &PNG...", "PNG image (*.png)"},
          std::tuple{"svg", "As &SVG...", "SVG drawing (*.svg)"},
          std::tuple{"pdf", "As P&DF...", "PDF document (*.pdf)"}})
        exportMenu
            ->addAction(tr(text), this,
                        [this, suffix = QString::fromLatin1(suffix), filter = tr(filter)] {
                            exportChartInteractive(suffix, filter);
                        })
            ->setObjectName(QStringLiteral("actionExport") + QChar(suffix[0]).toUpper() +
                            QLatin1String(suffix + 1));
    file->addAction(tr("Save Sheet as &CSV..."), this, &Form1::saveSheetAsCsv)
        ->setObjectName(QStringLiteral("actionSaveCsv"));
    file->addSeparator();
    QAction* quit = file->addAction(tr("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);
    quit->setObjectName(QStringLiteral("actionQuit"));
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    // The sheet has a shortcut of its own: Ctrl+C stays the fields' copy.
    QAction* copy = edit->addAction(tr("&Copy Sheet"), this, &Form1::copySheet);
    copy->setObjectName(QStringLiteral("actionCopySheet"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    m_coilLineAction = view->addAction(tr("Coil &Line"));
    m_coilLineAction->setObjectName(QStringLiteral("actionCoilLine"));
    m_coilLineAction->setCheckable(true);
    m_coilLineAction->setChecked(viewoptions::coilLine());
    m_session.setCoilLine(m_coilLineAction->isChecked());
    connect(m_coilLineAction, &QAction::toggled, this, &Form1::setCoilLine);
    QAction* hours = view->addAction(tr("&Weather Year Hours"));
    hours->setObjectName(QStringLiteral("actionWeatherHours"));
    hours->setCheckable(true);
    hours->setChecked(viewoptions::weatherHours());
    m_charts->showHours(hours->isChecked());
    connect(hours, &QAction::toggled, this, [this](bool on) {
        viewoptions::setWeatherHours(on);
        m_charts->showHours(on);
    });
}

// Every caption and field says what it holds and in what unit, from the
// sheet's own description of its rows in the method's units.
void Form1::showUnits() {
    static const char* states[4] = {"Outdoor", "Return", "Supply", "Mixed air"};
    const auto& rows = psychro::sheetRows(m_session.method(), m_session.units());
    for (size_t r = 0; r < rows.size(); ++r) {
        m_rowCaptions[r]->setText(QLatin1String(rows[r].caption));
        for (int c = 0; c < 4; ++c)
            field(rows[r].fields[size_t(c)])
                ->setToolTip(QStringLiteral("%1 %2, %3")
                                 .arg(QLatin1String(states[c]), QString::fromUtf8(rows[r].what),
                                      QString::fromUtf8(rows[r].unit)));
    }
    const bool si = m_session.units() == psychro::moist::Units::SI;
    const psychro::ResultUnits& units = psychro::resultUnits(m_session.units());
    lblLoad->setText(QLatin1String(units.load));
    lblCondensate->setText(QLatin1String(units.condensate));
    lblCoilADP->setText(QStringLiteral("ADP (%1)").arg(QLatin1String(units.degree)));
    const QString load = si ? tr("kW") : tr("BTU / hr");
    txtLoad->setToolTip(tr("Cooling load of the coil, %1").arg(load));
    txtCondensate->setToolTip(
        tr("Condensate from the coil, %1").arg(si ? tr("litres / hour") : tr("US gal / min")));
    txtFreshMix->setToolTip(tr("Share of outdoor air in the supply air, %"));
    for (Field f : {Field::txtCoilSensible, Field::txtCoilLatent, Field::txtCoilTotal,
                    Field::txtRoomSensible, Field::txtRoomLatent, Field::txtRoomTotal})
        field(f)->setToolTip(load);
    for (Field f : {Field::txtCoilSHR, Field::txtRoomSHR})
        field(f)->setToolTip(tr("Sensible heat ratio: sensible over total"));
    field(Field::txtCoilADP)
        ->setToolTip(tr("Apparatus dew point, %1").arg(QLatin1String(units.degree)));
    field(Field::txtCoilBypass)->setToolTip(tr("Bypass factor of the coil"));
    for (int i = 0; i < psychro::FieldCount; ++i)
        if (QLineEdit* e = m_fields[size_t(i)])
            e->setProperty("unitTip", e->toolTip());
    for (int i = 0; i < psychro::FieldCount; ++i)
        if (m_fields[size_t(i)])
            showFieldNote(Field(i));
}

// The first size: inside the available screen, as tall as it lets the
// window be, and no wider than the chart needs at that height; the side
// panel scrolls when even that is not tall enough.
void Form1::fitToScreen() {
    const QRect avail = screen()->availableGeometry();
    const int chrome = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    const int height = avail.height() - FrameAllowanceY;
    const QSize column(avail.width(), height - chrome - 2 * Margin);
    const int widthForHeight = 2 * Margin + ColumnGap + m_sideScroll->width() +
                               m_chartColumn->sizeAtZoom(m_chartColumn->zoomFor(column)).width();
    const int width = std::min(widthForHeight, avail.width() - FrameAllowanceX);
    resize(width, height);
    move(avail.left() + (avail.width() - width - FrameAllowanceX) / 2, avail.top());
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
    if (!chart::encodeChart(m_session.chart(), chart::chartFormatOf(name), &bytes, &error,
                            m_charts->shownHours()) ||
        !fileio::writeFile(name, bytes, &error))
        messageBox(tr("Export failed: %1").arg(error));
}

void Form1::copySheet() {
    QApplication::clipboard()->setText(model::sheetAsTsv(m_session));
}

void Form1::saveSheetAsCsv() {
    QString name = QFileDialog::getSaveFileName(this, tr("Save Sheet"), QStringLiteral("sheet.csv"),
                                                tr("CSV file (*.csv)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".csv");
    QString error;
    if (!fileio::writeFile(name, model::sheetAsCsv(m_session).toUtf8(), &error))
        messageBox(tr("Could not save the sheet: %1").arg(error));
}

} // namespace ui
