#include "ui/form1.h"

#include "ui/chart_painter.h"
#include "ui/input_widgets.h"
#include "ui/printer_job.h"
#include "ui/surface_widget.h"
#include "ui/view_options.h"
#include "ui/window_layout.h"
#include "ui/xml_feed_dialog.h"

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
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace ui {

using psychro::Field;

namespace {

using namespace layout;

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
    runPrintDialog = [this](PrinterJob& job) { return job.choose(this); };
    buildControls();
    bindSession();
    m_session.startUp();
    // Its routine recomputes five times; the window shows the last alone.
    connect(&m_session, &model::Session::recomputed, this, &Form1::showRecomputed);
    showRecomputed();
    if (!m_session.settingsProblem().isEmpty())
        statusBar()->showMessage(
            tr("%1; using the built-in feed settings").arg(m_session.settingsProblem()));
    trackDesign();
    Timer1->start();
    m_charts->start();
}

Form1::~Form1() = default;

// "name.qpsy[*] — " and the caption with the version, or the caption alone
// for a design never saved. Composed here: setWindowFilePath has no effect
// once a title is set.
void Form1::showTitle() {
    const QString caption = QLatin1String(Caption) + QStringLiteral("   V") +
                            psychro::FormatNumber(version::Major, QStringLiteral("##0")) + u'.' +
                            psychro::FormatNumber(version::Minor, QStringLiteral("##0"));
    // An untitled design that was changed is marked after the caption.
    const QString title = m_document->path().isEmpty()
                              ? caption + QStringLiteral("[*]")
                              : m_document->displayName() + QStringLiteral("[*] — ") + caption;
    // Called on every keystroke: the platform hears only of a real change.
    if (title != windowTitle())
        setWindowTitle(title);
    setWindowModified(hasUnsavedChanges());
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

    showSession();
}

// Session to widget: what the Session reports reaches the controls.
void Form1::showSession() {
    model::Session& s = m_session;
    connect(&s, &model::Session::fieldChanged, this, &Form1::showField);
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
    connect(&s, &model::Session::feedStatusChanged, this, &Form1::showStatusNote);

    placeKnob();
    showLock();
}

void Form1::showField(Field f) {
    QLineEdit* e = field(f);
    if (!e)
        return;
    if (e->text() != m_session.text(f))
        e->setText(m_session.text(f));
    showFieldNote(f);
}

// A field's tooltip gives its unit, and says why an input's text is not
// what the sheet was computed with (its frame is marked then), or why a
// result is empty.
void Form1::showFieldNote(Field f) {
    QLineEdit* e = field(f);
    const QString withheld = m_session.withheld(f);
    const QString why =
        m_session.text(f).isEmpty() ? m_session.sheet().emptyWhy[size_t(f)] : QString();
    const QString unit = e->property("unitTip").toString();
    const QString note = withheld.isEmpty() ? why : withheld;
    e->setToolTip(note.isEmpty()   ? unit
                  : unit.isEmpty() ? note
                                   : unit + QStringLiteral(": ") + note);
    // Framed while withheld; the style sheet only then, on this field alone.
    if (e->property("withheld").toBool() != !withheld.isEmpty()) {
        e->setProperty("withheld", !withheld.isEmpty());
        e->setStyleSheet(withheld.isEmpty()
                             ? QString()
                             : QStringLiteral("QLineEdit { border: 2px solid #c25700; "
                                              "background: white; }"));
    }
}

// A recompute's results: every field's text, what the warning hides, and
// both charts drawn from the new state.
void Form1::showRecomputed() {
    for (int i = 0; i < psychro::FieldCount; ++i)
        showField(Field(i));
    // Leaving a field may apply its text without changing it.
    for (Field f : psychro::inputFields())
        showFieldNote(f);
    const bool warning = m_session.warning();
    for (Field f : psychro::warningFields())
        field(f)->setVisible(!warning);
    // A load computed from values that could not be read off the chart is
    // no load: it goes with them.
    txtLoad->setVisible(!warning);
    frmCoil->setTitle(psychro::coilCaption(m_session.operation() == 1));
    picWarning->setVisible(warning);
    m_charts->schedule();
}

void Form1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    m_charts->windowShown();
}

void Form1::setCoilLine(bool on) {
    viewoptions::setCoilLine(on);
    m_session.setCoilLine(on);
    m_charts->schedule();
}

void Form1::drawPendingCharts() {
    m_charts->drawPending();
}

QImage Form1::grabWindow() {
    return m_charts->grabWindow();
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
    m_charts->schedule();
    // The station writes them: read-only, and as readable as ever.
    for (QLineEdit* e : {txtOutdoorTemp, txtOutdoorRH})
        showReadOnly(e, live);
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
    lblAge->setText(p.lblAge);
}

void Form1::showStatusNote() {
    QStringList notes;
    if (!m_session.feedStatus().isEmpty())
        notes << m_session.feedStatus();
    if (!m_session.settingsProblem().isEmpty())
        notes << tr("%1; using the built-in feed settings").arg(m_session.settingsProblem());
    m_statusNote->setText(notes.join(QStringLiteral("    ")));
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
    QString why;
    const std::unique_ptr<PrinterJob> job =
        loadPrinterJob(QStringLiteral("Quorvel Psychrometry report"), printerModule, &why);
    // Cancelling the dialog counts as a failure: nothing is printed.
    bool ok = job && runPrintDialog && runPrintDialog(*job);
    if (ok) {
        // The one chance for events queued while the dialog was open, before
        // the chart's scale is switched.
        QCoreApplication::processEvents();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ok = job->isValid() && print::printSession(job->device(), m_session, picGraph->surface()) &&
             !job->failed();
        QApplication::restoreOverrideCursor();
    }
    if (!ok) // without its module, with the reason
        messageBox(job ? QStringLiteral("Print Failed")
                       : QStringLiteral("Print Failed\n%1").arg(why));
}

} // namespace ui
