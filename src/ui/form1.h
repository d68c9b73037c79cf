#pragma once

#include "model/design.h"
#include "model/design_document.h"
#include "model/session.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTimer;

namespace ui {

class ChartColumn;
class ChartPainter;
class ClickableImage;
class DesignPropertiesDialog;
class InputField;
class PrinterJob;
class SliderKnob;
class SliderTrack;
class SurfaceWidget;
class frmXMLFeed;

// The main window: it shows a Session and hands it the user's edits. A
// widget's edit calls the Session; a change the Session reports updates the
// widget (writing a field the text it already shows raises nothing). The
// window holds no state of its own beyond its widgets, the design file's
// name and the design last saved or opened there, and no arithmetic.
// Controls carry their historic names as objectName, for findChild.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // Binds the window to session and runs the session's start-up.
    explicit Form1(model::Session& session, QWidget* parent = nullptr);
    ~Form1() override;

    // Every message box goes through here; tests and headless runs replace it.
    std::function<void(const QString&)> messageBox;
    // Shows the printer dialog; true when the user chose to print.
    std::function<bool(PrinterJob&)> runPrintDialog;
    // The printer's module, when not where the program looks for it.
    QString printerModule;
    // Shows the feed settings dialog modally; tests drive the dialog instead.
    std::function<void(frmXMLFeed&)> runFeedDialog;
    // Shows the design properties dialog modally; its result() tells OK.
    std::function<void(DesignPropertiesDialog&)> runPropertiesDialog;
    // The file dialogs: the chosen path, empty when cancelled. The save
    // dialog is given the suggested name.
    std::function<QString()> runOpenDialog;
    std::function<QString(const QString& suggested)> runSaveDialog;
    std::function<QString()> runWeatherDialog; // an EPW file to open, empty when cancelled
    // Asks the question ("Save changes to x.qpsy?") and returns the answer.
    enum class SaveChoice { Save, Discard, Cancel };
    std::function<SaveChoice(const QString& question)> askSaveChanges;

    // Opens a design file without asking about the shown one (the command
    // line's FILE): false, with one message, when it cannot be opened, and
    // then the shown design is left as it was.
    bool openDesign(const QString& path);
    // The shown design differs from the one last saved or opened (live
    // outdoor readings aside).
    bool hasUnsavedChanges() const;
    model::DesignDocument& document() { return *m_document; }
    // The File menu's commands; those that leave the shown design ask first
    // about unsaved changes. The saves return whether the design was saved.
    void fileNew();
    void fileOpen();
    void openRecent(const QString& path);
    bool fileSave();
    bool fileSaveAs();
    void designProperties();
    // File -> Open Weather Year: the dialog, then the year runs through the
    // design; one that cannot be read is a message, and the year open stays.
    void openWeatherYear();

    // Brings the window up to date now, as the event loop would before it
    // paints: queued calls and layouts delivered, the charts drawn if a
    // recompute left them to be drawn.
    void drawPendingCharts();
    // Up to date as above, and grabbed as a picture (the screenshot).
    QImage grabWindow();
    // The printed report: printer dialog, then the chart and the four states.
    void cmdPrint_Click();
    // The feed settings dialog, then the Session is told the settings changed.
    void cmdLiveSet_Click();

private:
    // The controls (form1_build.cpp).
    void buildControls();
    QLineEdit* makeField(psychro::Field f);
    void showReadOnly(QLineEdit* e, bool readOnly);
    QWidget* buildSidePanel(QWidget* parent);
    QWidget* buildSheet();
    QWidget* buildResults();
    QGroupBox* buildCoilGroup();
    QGroupBox* buildOperation();
    QGroupBox* buildFreshAir();
    QGroupBox* buildDesignPoints();
    QGroupBox* buildLivePanel();
    // Menus, status bar, tooltips and the first size (form1_window.cpp).
    void buildWindowExtras();
    void buildMenus();
    // The captions and tooltips in the method's units.
    void showUnits();
    void fitToScreen();
    void buildFileMenu(QMenu* file);
    void showRecentMenu(QMenu* menu);
    void trackDesign();
    void showTitle();
    bool saveTo(const QString& path);
    bool askToSave();
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void bindSession();
    void showSession();
    void showField(psychro::Field f);
    void showFieldNote(psychro::Field f);
    void showStatusNote();
    void showRecomputed();
    void setCoilLine(bool on);
    void placeKnob();
    void showLock();
    void showLiveView();
    void showLivePanel();
    void copySheet();
    void saveSheetAsCsv();
    void exportChartInteractive(const QString& suffix, const QString& filter);
    QLineEdit* field(psychro::Field f) const { return m_fields[size_t(f)]; }

    model::Session& m_session;
    std::array<QLineEdit*, psychro::FieldCount> m_fields{};
    bool m_cityChangedBeforeActivation = false;
    std::unique_ptr<model::DesignDocument> m_document;

    // Controls, by their historic names.
    InputField *txtOutdoorTemp, *txtOutdoorRH, *txtReturnTemp, *txtReturnRH, *txtSupplyTemp,
        *txtSupplyRH, *txtSupplyFlow, *txtFreshMix;
    QLineEdit *txtLoad, *txtCondensate, *txtOutdoorDew;
    QGroupBox *Frame1, *frmFreshAir, *Frame2, *frmLive, *frmCoil;
    QAction* m_coilLineAction = nullptr;
    std::array<QRadioButton*, 2> OptCoolHeat;
    std::array<QRadioButton*, 2> OptLive;
    QComboBox* cmboCity;
    QPushButton* cmdLiveSet;
    QPushButton* cmdPrint;
    std::array<QLabel*, 9> m_rowCaptions{}; // the sheet's rows
    QLabel *lblLoad, *lblCondensate, *lblCoilADP;
    QLabel *lblTempF, *lblTempC, *lblRH, *lblDewF, *lblDewC, *lblTime, *lblAge;
    SliderTrack* SliderBackGrnd;
    SliderKnob* slider;
    ClickableImage* Image1;
    QLabel *imglockclosed, *imgLockOpen;
    SurfaceWidget* picGraph;
    SurfaceWidget* picChart;
    QLabel* picWarning;
    QTimer* Timer1;
    ChartPainter* m_charts = nullptr; // draws the charts, runs the moving dash
    QWidget* m_sidePanel = nullptr;
    QScrollArea* m_sideScroll = nullptr;
    ChartColumn* m_chartColumn = nullptr;
    QLabel* m_readout = nullptr;
    QLabel* m_statusNote = nullptr; // the feed's state, a settings file not read
};

} // namespace ui
