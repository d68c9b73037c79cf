// The window is a view of a Session: what a control does reaches the
// Session, what the Session changes reaches the controls, and nothing moves
// or hides that should not.

#include "feed/feed_settings.h"
#include "fileio/safe_write.h"
#include "model/recent_designs.h"
#include "model/session.h"
#include "model/sheet_export.h"
#include "ui/design_properties_dialog.h"
#include "ui/form1.h"
#include "ui/input_widgets.h"
#include "ui/printer_job.h"
#include "ui/surface_widget.h"
#include "ui/view_options.h"
#include "ui/xml_feed_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using psychro::Field;
using Choice = ui::Form1::SaveChoice;

class TestForm1 : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<feed::IniSettingsStore> m_store;
    std::unique_ptr<model::Session> m_session;
    std::unique_ptr<ui::Form1> m_form;
    QStringList m_messages, m_questions;
    Choice m_answer = Choice::Cancel;

    template <typename T = QWidget> T* control(const char* name) {
        T* w = m_form->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QLineEdit* field(Field f) { return control<QLineEdit>(psychro::fieldName(f)); }
    // The focus moves on to the Print button: the field that had it is left.
    void typeAndLeave(Field f, const QString& keys) {
        QLineEdit* e = field(f);
        e->setFocus(Qt::MouseFocusReason);
        e->selectAll();
        QTest::keyClicks(e, keys);
        control("cmdPrint")->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    QString file(const QString& name) { return m_dir.filePath(name); }
    // The contrast of a field's text on its background, as accessibility
    // guidelines measure it: its darkest pixel against its middle left.
    static double contrast(QWidget* w) {
        const QImage image = w->grab().toImage();
        auto luminance = [](QRgb c) {
            auto lin = [](int v) {
                const double s = v / 255.0;
                return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
        };
        const double back = luminance(image.pixel(4, image.height() / 2));
        double text = back;
        for (int y = 4; y < image.height() - 4; ++y)
            for (int x = image.width() / 2; x < image.width() - 4; ++x)
                text = std::min(text, luminance(image.pixel(x, y)));
        return (back + 0.05) / (text + 0.05);
    }
    void saveAs(const QString& path) {
        m_form->runSaveDialog = [path](const QString&) { return path; };
        control<QAction>("actionSaveAs")->trigger();
    }

private slots:
    // The recent-designs list goes to the scratch directory.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit()); }
    void init() {
        QFile::remove(model::recent::listPath());
        QFile::remove(ui::viewoptions::path());
        m_store = std::make_unique<feed::IniSettingsStore>(m_dir.filePath(QStringLiteral("q.ini")));
        m_session = std::make_unique<model::Session>(nullptr, m_store.get());
        m_form = std::make_unique<ui::Form1>(*m_session);
        m_form->messageBox = [this](const QString& text) { m_messages << text; };
        m_form->askSaveChanges = [this](const QString& question) {
            m_questions << question;
            return m_answer;
        };
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void cleanup() {
        m_form.reset();
        m_session.reset();
        m_messages.clear();
        m_questions.clear();
        m_answer = Choice::Cancel;
    }
    void controlsAreBoundBothWays();
    void keyboardFollowsTheSheet();
    void nothingMovesWhenControlsHide();
    void windowFitsAndChartFills();
    void dialogsAndMessages();
    void unsavedChangesAreAsked_data();
    void unsavedChangesAreAsked();
    void saveAndOpenKeepTheDesign();
    void damagedFileOrFailedSaveKeepsTheDesign();
    void recentDesignsKeepEightAndDropDeleted();
    void liveReadingsAreNoChange();
    void coilGroupFollowsOperationAndView();
    void methodBarChangesUnitsAndPressure();
    void weatherYearPanelFollowsTheDesign();
};

// The same air in both operations: only cooling has an ADP. The coil line
// is off until chosen and stays chosen for the next window.
void TestForm1::coilGroupFollowsOperationAndView() {
    auto* group = control<QGroupBox>("frmCoil");
    auto* coilLine = control<QAction>("actionCoilLine");
    QVERIFY(!coilLine->isChecked() && !m_session->chart().showCoilLine);
    for (int op : {1, 0}) {
        control<QRadioButton>(op ? "OptCoolHeat_1" : "OptCoolHeat_0")->click();
        typeAndLeave(Field::txtOutdoorTemp, QStringLiteral("90"));
        typeAndLeave(Field::txtOutdoorRH, QStringLiteral("50"));
        QCOMPARE(group->title(), op ? "Heating Coil and Room" : "Cooling Coil and Room");
        QCOMPARE(field(Field::txtCoilADP)->text().isEmpty(), op == 1);
        QCOMPARE(field(Field::txtCoilSHR)->text().isEmpty(), op == 1);
        // An empty result says why.
        QCOMPARE(field(Field::txtCoilADP)->toolTip().endsWith("no apparatus dew point in heating"),
                 op == 1);
    }
    coilLine->trigger();
    QVERIFY(m_session->chart().showCoilLine);
    m_form = std::make_unique<ui::Form1>(*m_session);
    QVERIFY(control<QAction>("actionCoilLine")->isChecked());
}

void TestForm1::controlsAreBoundBothWays() {
    // Start-up texts come from the Session; derived fields are read-only.
    QCOMPARE(field(Field::txtOutdoorTemp)->text(), QStringLiteral("95"));
    QCOMPARE(field(Field::txtMixedTemp)->text(), m_session->text(Field::txtMixedTemp));
    QVERIFY(field(Field::txtMixedTemp)->isReadOnly() && !field(Field::txtFreshMix)->isReadOnly());
    // Typing reaches the Session at every key; leaving reaches it too.
    const int redraws = m_session->redrawCount();
    typeAndLeave(Field::txtOutdoorRH, QStringLiteral("150"));
    QCOMPARE(m_session->text(Field::txtOutdoorRH), QStringLiteral("100"));
    QCOMPARE(field(Field::txtOutdoorRH)->text(), QStringLiteral("100"));
    QVERIFY(m_session->redrawCount() > redraws);
    typeAndLeave(Field::txtSupplyFlow, QStringLiteral("6,000"));
    QCOMPARE(field(Field::txtSupplyFlow)->text(), QStringLiteral("6000"));
    // Every recompute's texts reach their fields.
    for (int i = 0; i < psychro::FieldCount; ++i)
        QCOMPARE(field(Field(i))->text(), m_session->text(Field(i)));
    // Choices: the list, the operation, the lock and slider.
    control<QComboBox>("cmboCity")->setCurrentIndex(32);
    QCOMPARE(m_session->cityRow(), 32);
    control<QRadioButton>("OptCoolHeat_1")->click();
    QCOMPARE(m_session->operation(), 1);
    QCOMPARE(field(Field::txtOutdoorTemp)->text(), QStringLiteral("-10"));
    QWidget* track = control("SliderBackGrnd");
    QTest::mouseClick(control<QLabel>("Image1"), Qt::LeftButton);
    QVERIFY(m_session->sliderEnabled());
    QTest::mouseMove(track, QPoint(track->width() - 1, track->height() / 2));
    QCOMPARE(m_session->text(Field::txtFreshMix), QStringLiteral("100.0"));
    QCOMPARE(control("slider")->geometry().right(), track->width() - 1);
    // The warning hides the 25 fields and the load, and nothing else.
    typeAndLeave(Field::txtOutdoorTemp, QStringLiteral("abc"));
    QVERIFY(m_session->warning() && control("picWarning")->isVisible());
    QVERIFY(!field(Field::txtLoad)->isVisible() && !field(Field::txtMixedDew)->isVisible());
    QVERIFY(field(Field::txtMixedTemp)->isVisible() && field(Field::txtOutdoorFlow)->isVisible());
    // Ctrl+C copies a field's selection, as everywhere; the sheet has its
    // own shortcut.
    QLineEdit* temp = field(Field::txtOutdoorTemp);
    temp->setFocus();
    temp->selectAll();
    QTest::keySequence(temp, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("abc"));
    // A title's tab or quote stays inside its cell.
    m_session->setTitleBlock({QStringLiteral("Duct 12\"\tmain"), {}, {}, {}, {}});
    QTest::keySequence(temp, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("Project\t\"Duct 12\"\"\tmain\""));
    QCOMPARE(lines.value(1), QStringLiteral("\tOUTDOOR\tRETURN\tSUPPLY\tMIXED AIR"));
    QCOMPARE(lines.last(), QStringLiteral("Values Outside Range of Program"));
    // A typed value that waits for the field to be left is marked so.
    QLineEdit* rh = field(Field::txtReturnRH);
    rh->setFocus();
    rh->selectAll();
    QTest::keyClicks(rh, QStringLiteral("150"));
    QVERIFY(rh->property("withheld").toBool() &&
            rh->toolTip().endsWith("above 100: set to 100 when you leave the field"));
    control("cmdPrint")->setFocus();
    QVERIFY(!rh->property("withheld").toBool() && rh->text() == "100");
}

void TestForm1::keyboardFollowsTheSheet() {
    const Field order[] = {Field::txtOutdoorTemp, Field::txtOutdoorRH,  Field::txtReturnTemp,
                           Field::txtReturnRH,    Field::txtSupplyTemp, Field::txtSupplyRH,
                           Field::txtSupplyFlow,  Field::txtFreshMix};
    field(order[0])->setFocus();
    for (size_t i = 1; i < std::size(order); ++i) {
        // Enter moves on the way Tab does, leaving the field.
        QTest::keyClick(QApplication::focusWidget(), i % 2 ? Qt::Key_Tab : Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), field(order[i]));
    }
    for (const Field f : order)
        QVERIFY2(!field(f)->toolTip().isEmpty(), psychro::fieldName(f));
}

// As on a form of fixed positions, a hidden control keeps its place.
void TestForm1::nothingMovesWhenControlsHide() {
    auto places = [this] {
        QList<QRect> r;
        for (const char* name : {"OptCoolHeat_1", "OptLive_0", "cmdLiveSet", "cmdPrint",
                                 "txtFreshMix", "txtCondensate"})
            r << QRect(control(name)->mapTo(m_form.get(), QPoint(0, 0)), control(name)->size());
        return r;
    };
    const QList<QRect> before = places();
    typeAndLeave(Field::txtOutdoorTemp, QStringLiteral("abc"));
    QVERIFY(control("picWarning")->isVisible());
    QCOMPARE(places(), before);
    // The settings cannot be edited while a refresh reads them.
    QList<bool> setupEnabled;
    connect(m_session.get(), &model::Session::refreshingChanged, this,
            [&] { setupEnabled << control("cmdLiveSet")->isEnabled(); });
    control<QRadioButton>("OptLive_0")->click(); // no feed: fails, stays live
    QCOMPARE(setupEnabled, (QList<bool>{false, true}));
    QVERIFY(control("frmLive")->isVisible() && !control("cmboCity")->isVisible());
    QVERIFY(control("picChart")->isVisible() && field(Field::txtOutdoorTemp)->isReadOnly());
    QCOMPARE(places(), before);
    // What the station writes stays readable, and nothing stays greyed
    // after the switch back.
    for (Field f : {Field::txtOutdoorTemp, Field::txtOutdoorDew})
        QVERIFY2(contrast(field(f)) >= 4.5, psychro::fieldName(f));
    control<QRadioButton>("OptLive_1")->click();
    QVERIFY(field(Field::txtOutdoorDew)->isEnabled() &&
            !field(Field::txtOutdoorTemp)->isReadOnly());
    // What is typed looks typed into, what is derived does not.
    auto background = [](QWidget* w) {
        const QImage image = w->grab().toImage();
        return image.pixel(4, image.height() / 2);
    };
    QVERIFY(background(field(Field::txtOutdoorTemp)) != background(field(Field::txtOutdoorDew)));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].startsWith(QLatin1String("Failed to Load Data\n")));
    // The station's text is shown as it came, never as markup.
    QCOMPARE(control<QLabel>("lblTime")->textFormat(), Qt::PlainText);
}

// A shown window resized for real: it can be made as small as a laptop
// needs, the side panel then scrolls, and the chart is whole and fills its
// column, in manual entry and with the history chart below it.
void TestForm1::windowFitsAndChartFills() {
    auto* column = control("chartColumn");
    auto* scroll = control<QScrollArea>("sidePanelScroll");
    QWidget* graph = control("picGraph");
    QWidget* history = control("picChart");
    for (bool live : {false, true}) {
        history->setVisible(live);
        for (const QSize size : {QSize(1000, 660), QSize(1366, 740), QSize(1920, 1050)}) {
            m_form->resize(size);
            QVERIFY(QTest::qWaitFor([&] { return m_form->size() == size; }, 2000));
            QApplication::processEvents();
            const QRect area = column->rect();
            // The method's bar above the charts, whole and clear of them.
            QWidget* methodBar = control("frmMethod");
            const QRect bar = methodBar->geometry();
            QVERIFY(bar.bottom() < graph->geometry().top());
            for (auto* c : methodBar->findChildren<QComboBox*>())
                QVERIFY(methodBar->rect().contains(
                    QRect(c->mapTo(methodBar, QPoint(0, 0)), c->size())));
            const QRect charts =
                graph->geometry().united(live ? history->geometry() : QRect()).united(bar);
            QVERIFY2(area.contains(charts),
                     qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
            // Fills it: the width or the height runs out, to a few pixels.
            QVERIFY(area.width() - charts.width() < 6 || area.height() - charts.height() < 6);
            QCOMPARE(scroll->verticalScrollBar()->isVisible(), size.height() < 700);
            // A screenshot, its charts drawn beside the grab of the rest, is
            // the window as painted in turn.
            m_session->recompute();
            const QImage shot = m_form->grabWindow();
            QCOMPARE(shot, m_form->grab().toImage());
            // Shown pixel for pixel as drawn, across the whole chart.
            m_form->drawPendingCharts();
            const QImage drawn = static_cast<ui::SurfaceWidget*>(graph)->surface().Image();
            const QImage shown = graph->grab().toImage();
            const int row = drawn.height() / 2,
                      inset = graph->width() - graph->contentsRect().width();
            for (int x = 0; x < shown.width() - inset; ++x)
                QCOMPARE(shown.pixel(x + inset / 2, row + inset / 2), drawn.pixel(x, row));
        }
    }
    // The city list keeps its measured width only while its names, its font
    // and its style stay.
    auto* cities = control<QComboBox>("cmboCity");
    const int width = cities->sizeHint().width();
    cities->addItem(QString(60, u'W'));
    const int wider = cities->sizeHint().width();
    QVERIFY(wider > width);
    QFont larger = cities->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.5);
    cities->setFont(larger);
    QVERIFY(cities->sizeHint().width() > wider);
    QCOMPARE(cities->minimumSizeHint(), cities->sizeHint());
}

void TestForm1::dialogsAndMessages() {
    // The settings dialog: its caption whole, Enter presses OK, which saves
    // the chosen source among lines it does not know.
    const QByteArray others = "[Other]\nx=1\n[XMLSetup]\n; kept\nXMLCurrent=http://a/c\n";
    QFile ini(m_dir.filePath(QStringLiteral("q.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(others) == others.size());
    ini.close();
    m_form->runFeedDialog = [](ui::frmXMLFeed& d) {
        QVERIFY(!d.txtNWSStation->isEnabled());
        // A long address shows its start, not the end of its query.
        QCOMPARE(d.txtXMLDaily->cursorPosition(), 0);
        d.cboSource->setCurrentIndex(1);
        QVERIFY(d.txtNWSStation->isEnabled() && !d.txtXMLDaily->isEnabled());
        d.show();
        // A station the service cannot have is refused, and the dialog says why.
        d.txtNWSStation->setText(QStringLiteral("K-1"));
        d.Command1->click();
        QVERIFY(d.isVisible() && d.lblProblem->isVisible() &&
                d.lblProblem->text().contains("'K-1'"));
        d.txtNWSStation->setText(QStringLiteral("kpwm"));
        QVERIFY(d.Lablel3->width() >= d.Lablel3->sizeHint().width());
        QVERIFY(d.txtGMTOffet->geometry().left() > d.Lablel3->geometry().right());
        d.txtGMTOffet->setText(QStringLiteral("2.5"));
        d.txtGMTOffet->setFocus();
        QTest::keyClick(d.txtGMTOffet, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    };
    control<QPushButton>("cmdLiveSet")->click();
    QCOMPARE(m_session->feedSettings().gGMTOffset, qint16(2));
    // Settings that cannot be read are the defaults, and the window says so.
    QVERIFY(QDir().mkdir(m_dir.filePath(QStringLiteral("dir.ini"))));
    feed::IniSettingsStore folder(m_dir.filePath(QStringLiteral("dir.ini")));
    model::Session other(nullptr, &folder);
    ui::Form1 window(other);
    QVERIFY(window.statusBar()->currentMessage().endsWith(
        "not a regular file; using the built-in feed settings"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray saved = ini.readAll();
    for (const char* line :
         {"[Other]\nx=1\n[XMLSetup]\n; kept\nXMLCurrent=", "XMLGMTOffset=2", "FeedSource=nws",
          "NWSStation=KPWM", "NWSBaseURL=https://api.weather.gov"})
        QVERIFY2(saved.contains(line), saved.constData());
    // A print goes through the printer's module: chosen in its dialog, the
    // report is the printer's one page (a PDF file here).
    const QString pdf = m_dir.filePath(QStringLiteral("printed.pdf"));
    m_form->printerModule = QStringLiteral(QUORVEL_PRINTER_MODULE);
    m_form->runPrintDialog = [&pdf](ui::PrinterJob& job) {
        auto* printer = dynamic_cast<QPrinter*>(&job.device());
        if (!printer)
            return false;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return true;
    };
    control<QPushButton>("cmdPrint")->click();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    const QByteArray pages = printed.readAll();
    QVERIFY(pages.startsWith("%PDF-"));
    QCOMPARE(pages.count("/Type /Page\n"), 1);
    // Cancelled in its dialog, it prints nothing and says so; without its
    // module, it says why.
    m_form->runPrintDialog = [](ui::PrinterJob&) { return false; };
    control<QPushButton>("cmdPrint")->click();
    m_form->printerModule = m_dir.filePath(QStringLiteral("none.so"));
    control<QPushButton>("cmdPrint")->click();
    QCOMPARE(m_messages, (QStringList{QStringLiteral("Print Failed"),
                                      "Print Failed\nthe printing code is missing (" +
                                          m_dir.filePath(QStringLiteral("none.so")) + ")"}));
}

void TestForm1::unsavedChangesAreAsked_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("answer");
    for (const char* action : {"actionNew", "actionOpen", "quit"})
        for (const Choice answer : {Choice::Save, Choice::Discard, Choice::Cancel})
            QTest::newRow(
                qPrintable(QStringLiteral("%1-%2").arg(QLatin1String(action)).arg(int(answer))))
                << QString::fromLatin1(action) << int(answer);
}

void TestForm1::unsavedChangesAreAsked() {
    QFETCH(QString, action);
    QFETCH(int, answer);
    saveAs(file("b.qpsy"));
    saveAs(file("a.qpsy"));
    typeAndLeave(Field::txtSupplyFlow, QStringLiteral("7000"));
    m_answer = Choice(answer);
    m_form->runOpenDialog = [this] { return file("b.qpsy"); };
    if (action == QLatin1String("quit"))
        m_form->close();
    else
        control<QAction>(qPrintable(action))->trigger();
    QCOMPARE(m_questions, QStringList{QStringLiteral("Save changes to a.qpsy?")});
    // Cancel keeps the window and the edit; Save writes it first.
    QCOMPARE(m_form->isVisible() && field(Field::txtSupplyFlow)->text() == "7000",
             m_answer == Choice::Cancel);
    QByteArray saved;
    QVERIFY(fileio::readRegularFile(file("a.qpsy"), 1 << 20, &saved));
    QCOMPARE(saved.contains("\"7000\""), m_answer == Choice::Save);
}

void TestForm1::saveAndOpenKeepTheDesign() {
    const QString caption = m_form->windowTitle().remove("[*]");
    QVERIFY(caption.startsWith("System Quorvel - Psychrometry   V"));
    control<QComboBox>("cmboCity")->setCurrentIndex(32);
    control<QRadioButton>("OptCoolHeat_1")->click();
    typeAndLeave(Field::txtSupplyFlow, QStringLiteral("6500"));
    m_form->runPropertiesDialog = [](ui::DesignPropertiesDialog& d) {
        d.txtNotes->setPlainText(QStringLiteral("line 1\nline 2"));
        d.buttons->button(QDialogButtonBox::Ok)->click();
    };
    control<QAction>("actionDesignProperties")->trigger();
    // An untitled design that was changed is marked too.
    QVERIFY(m_form->windowTitle() == caption + "[*]" && m_form->isWindowModified());
    saveAs(file("round")); // the suffix is added
    QCOMPARE(m_form->windowTitle(), "round.qpsy[*] — " + caption);
    const QString sheet = model::sheetAsTsv(*m_session);
    control<QAction>("actionNew")->trigger();
    QVERIFY(m_form->windowTitle() == caption + "[*]" && !m_form->isWindowModified());
    QVERIFY(m_form->openDesign(file("round.qpsy")));
    QCOMPARE(model::sheetAsTsv(*m_session), sheet);
    QCOMPARE(m_session->titleBlock().notes, QStringLiteral("line 1\nline 2"));
    QVERIFY(!m_form->hasUnsavedChanges() && m_questions.isEmpty() && m_messages.isEmpty());
    // Save keeps a file opened under another name where it is.
    QVERIFY(QFile::copy(file("round.qpsy"), file("round.json")) &&
            m_form->openDesign(file("round.json")));
    typeAndLeave(Field::txtSupplyFlow, QStringLiteral("6600"));
    control<QAction>("actionSave")->trigger();
    QByteArray saved;
    QVERIFY(fileio::readRegularFile(file("round.json"), 1 << 20, &saved) &&
            saved.contains("\"6600\"") && !QFile::exists(file("round.json.qpsy")));
}

void TestForm1::damagedFileOrFailedSaveKeepsTheDesign() {
    typeAndLeave(Field::txtSupplyFlow, QStringLiteral("7000"));
    QVERIFY(fileio::writeFile(file("bad.qpsy"), "{\"format\": \"quorvel-design\", "));
    m_form->runOpenDialog = [this] { return file("bad.qpsy"); };
    m_answer = Choice::Discard;
    control<QAction>("actionOpen")->trigger();
    // A save that fails cancels the New that asked for it.
    m_answer = Choice::Save;
    m_form->runSaveDialog = [this](const QString&) { return file("no/such/dir/x.qpsy"); };
    control<QAction>("actionNew")->trigger();
    QCOMPARE(m_messages.size(), 2);
    QVERIFY(m_messages[0].count("bad.qpsy") == 1 && m_messages[1].contains("x.qpsy"));
    QVERIFY(m_session->text(Field::txtSupplyFlow) == "7000" && m_form->hasUnsavedChanges());
}

void TestForm1::recentDesignsKeepEightAndDropDeleted() {
    for (int i = 0; i < 9; ++i)
        saveAs(file(QStringLiteral("r%1.qpsy").arg(i)));
    QFile::remove(file("r5.qpsy"));
    auto* menu = control<QMenu>("menuRecent");
    emit menu->aboutToShow();
    // Newest first: r0 fell out at the ninth save, r5 is gone.
    const QList<QAction*> shown = menu->actions();
    QVERIFY(shown.size() == 7 && shown[0]->text() == "r8.qpsy" && shown[3]->text() == "r4.qpsy");
    shown[1]->trigger();
    QVERIFY(m_form->windowTitle().startsWith("r7.qpsy[*]"));
}

void TestForm1::liveReadingsAreNoChange() {
    saveAs(file("live.qpsy"));
    control<QRadioButton>("OptLive_0")->click(); // no feed: fails, stays live
    m_session->changeText(Field::txtOutdoorTemp, QStringLiteral("71")); // as a reading writes it
    m_session->changeText(Field::txtOutdoorRH, QStringLiteral("33"));
    QVERIFY(!m_form->hasUnsavedChanges() && !m_form->isWindowModified());
    typeAndLeave(Field::txtReturnTemp, QStringLiteral("70"));
    QVERIFY(m_form->isWindowModified());
}

// The method's bar drives the Session, and the captions, fields and bar
// follow what the Session then holds; a refused altitude says why.
void TestForm1::methodBarChangesUnitsAndPressure() {
    auto* units = control<QComboBox>("cmboUnits");
    auto* altitude = control<QLineEdit>("txtPressure");
    QVERIFY(!altitude->isEnabled()); // the tables are for sea level
    units->activated(1);             // SI takes the equations
    QCOMPARE(control<QComboBox>("cmboMethod")->currentIndex(), 1);
    QVERIFY(altitude->isEnabled());
    QCOMPARE(control<QLabel>("lblSupplyDryBulb")->text(), QStringLiteral("Temperature (C)"));
    QCOMPARE(control<QLabel>("lblLoad")->text(), QStringLiteral("Cooling Load (kW)"));
    QCOMPARE(field(Field::txtOutdoorTemp)->text(), QStringLiteral("35"));
    QVERIFY(field(Field::txtOutdoorRatio)->toolTip().contains(QStringLiteral("g water / kg")));
    altitude->setFocus();
    altitude->setText(QStringLiteral("1,600"));
    QTest::keyClick(altitude, Qt::Key_Return);
    QCOMPARE(control<QLabel>("lblPressureNote")->text(), QStringLiteral("= 83.523 kPa"));
    QCOMPARE(m_session->pressureSetting().value, 1600.0);
    altitude->setText(QStringLiteral("20000"));
    QTest::keyClick(altitude, Qt::Key_Return);
    QVERIFY(control<QLabel>("lblPressureNote")->text().contains(QStringLiteral("-300 to 9000 m")));
    QCOMPARE(m_session->pressureSetting().value, 1600.0);
    // A barometric pressure starts from the one in effect.
    control<QComboBox>("cmboPressureKind")->activated(1);
    QCOMPARE(altitude->text(), QStringLiteral("83.523"));
    QCOMPARE(control<QLabel>("lblPressureUnit")->text(), QStringLiteral("kPa"));
    control<QComboBox>("cmboMethod")->activated(0);
    QCOMPARE(units->currentIndex(), 0);
    QCOMPARE(field(Field::txtOutdoorTemp)->text(), QStringLiteral("95"));
    QCOMPARE(control<QLabel>("lblSupplyDryBulb")->text(), QStringLiteral("Temperature (F)"));
}

// A weather year opened from the File menu shows its panel under the chart,
// whole and clear of it; the results follow the fresh air as it is typed,
// the economizer is the panel's, and closing the year hides it again.
void TestForm1::weatherYearPanelFollowsTheDesign() {
    QFile epw(file(QStringLiteral("w.epw")));
    QVERIFY(epw.open(QIODevice::WriteOnly));
    epw.write("LOCATION,Testville,IL,USA,TMY3,725300,41.98,-87.92,-6.0,201.0\nDESIGN CONDITIONS,0\n"
              "TYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\nHOLIDAYS/DAYLIGHT SAVINGS,No\n"
              "COMMENTS 1,\nCOMMENTS 2,\nDATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n"
              "1999,7,15,14,60,?9,35,22,999,99000,0\n1999,8,1,2,60,?9,22,20,999,100000,0\n");
    epw.close();
    QWidget* panel = control("frmWeatherYear");
    QVERIFY(!panel->isVisible());
    m_form->runWeatherDialog = [&epw] { return epw.fileName(); };
    control<QAction>("actionOpenWeatherYear")->trigger();
    QApplication::processEvents();
    QVERIFY(panel->isVisible() && m_messages.isEmpty());
    const QString whole = control<ui::ElidedLabel>("lblWeatherYear")->text();
    QVERIFY(whole.startsWith(QStringLiteral("Testville, IL")));
    // Too narrow for the location, it ends in an ellipsis instead of being
    // cut mid-letter, and keeps the whole text.
    ui::ElidedLabel narrow(whole);
    narrow.resize(narrow.fontMetrics().horizontalAdvance(whole) / 2, narrow.sizeHint().height());
    const QString shown = narrow.shownText();
    QVERIFY(shown.endsWith(QChar(0x2026)) && shown.size() < whole.size() && narrow.text() == whole);
    QLabel plain(shown);
    plain.resize(narrow.size());
    const QImage drawn = narrow.grab().toImage();
    QCOMPARE(drawn, plain.grab().toImage());
    QVERIFY(panel->geometry().top() > control("picGraph")->geometry().bottom() &&
            control("chartColumn")->rect().contains(panel->geometry()));
    auto cooling = [panel] {
        const QList<QLabel*> labels = panel->findChildren<QLabel*>();
        for (qsizetype i = 0; i + 1 < labels.size(); ++i)
            if (labels[i]->text() == QLatin1String("Cooling"))
                return labels[i + 1]->text();
        return QString();
    };
    const QString at25 = cooling();
    typeAndLeave(Field::txtFreshMix, QStringLiteral("60"));
    QVERIFY(!at25.isEmpty() && cooling() != at25);
    control<QComboBox>("cmboEconomizer")->activated(2);
    QVERIFY(m_session->weather().economizer() == climate::Economizer::Enthalpy);
    QVERIFY(m_form->hasUnsavedChanges());
    control<QAction>("actionCloseWeatherYear")->trigger();
    QVERIFY(!panel->isVisible() && !control<QAction>("actionCloseWeatherYear")->isEnabled());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
