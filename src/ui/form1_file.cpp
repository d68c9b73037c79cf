// The design as a file: the File menu's New, Open, Open Recent, Save, Save
// As and Design Properties, the question about unsaved changes, and the
// window title that names the file.
#include "ui/form1.h"

#include "ui/design_properties_dialog.h"

#include "model/design_document.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace ui {

using psychro::Field;

namespace {

QString designFilter() {
    return QObject::tr("Quorvel design (*.%1)").arg(QLatin1String(model::DesignSuffix));
}

} // namespace

void Form1::buildFileMenu(QMenu* file) {
    // The menu's dialogs; tests replace them.
    runPropertiesDialog = [](DesignPropertiesDialog& dialog) { dialog.exec(); };
    runOpenDialog = [this] {
        return QFileDialog::getOpenFileName(
            this, tr("Open Design"), QFileInfo(m_document->path()).absolutePath(), designFilter());
    };
    runSaveDialog = [this](const QString& suggested) {
        QFileDialog dialog(this, tr("Save Design As"), suggested, designFilter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // So that the overwrite question names the real file.
        dialog.setDefaultSuffix(QLatin1String(model::DesignSuffix));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    askSaveChanges = [this](const QString& question) {
        QMessageBox box(QMessageBox::Question, tr("Unsaved Changes"), question,
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::Save);
        switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
        }
    };

    auto add = [this, file](const QString& text, const char* name, auto slot,
                            QKeySequence keys = {}) {
        QAction* a = file->addAction(text, this, slot);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        return a;
    };
    add(tr("&New"), "actionNew", &Form1::fileNew, QKeySequence::New);
    add(tr("&Open..."), "actionOpen", &Form1::fileOpen, QKeySequence::Open);
    QMenu* recentMenu = file->addMenu(tr("Open &Recent"));
    recentMenu->setObjectName(QStringLiteral("menuRecent"));
    // Built as it is shown, so that files deleted meanwhile are left out.
    connect(recentMenu, &QMenu::aboutToShow, this,
            [this, recentMenu] { showRecentMenu(recentMenu); });
    add(tr("&Save"), "actionSave", &Form1::fileSave, QKeySequence::Save);
    add(tr("Save &As..."), "actionSaveAs", &Form1::fileSaveAs,
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    add(tr("Design P&roperties..."), "actionDesignProperties", &Form1::designProperties);
    file->addSeparator();
    // The weather year runs through the design shown, and is saved with it.
    runWeatherDialog = [this] {
        return QFileDialog::getOpenFileName(this, tr("Open Weather Year"),
                                            QFileInfo(m_session.weather().path()).absolutePath(),
                                            tr("EnergyPlus weather (*.epw)"));
    };
    add(tr("Open &Weather Year..."), "actionOpenWeatherYear", &Form1::openWeatherYear);
    QAction* close = add(tr("C&lose Weather Year"), "actionCloseWeatherYear",
                         [this] { m_session.weather().close(); });
    close->setEnabled(false);
    connect(&m_session.weather(), &model::WeatherStudy::changed, close,
            [this, close] { close->setEnabled(m_session.weather().isOpen()); });
    file->addSeparator();
}

void Form1::openWeatherYear() {
    const QString path = runWeatherDialog();
    QString error;
    if (!path.isEmpty() && !m_session.weather().open(path, &error))
        messageBox(error);
}

void Form1::showRecentMenu(QMenu* menu) {
    menu->clear();
    const QStringList paths = m_document->recentDesigns();
    // An & in a file name is shown, not taken for a mnemonic.
    for (const QString& path : paths)
        menu->addAction(QFileInfo(path).fileName().replace(u'&', QStringLiteral("&&")), this,
                        [this, path] { openRecent(path); })
            ->setToolTip(QDir::toNativeSeparators(path));
    if (paths.isEmpty())
        menu->addAction(tr("No recent designs"))->setEnabled(false);
}

// After start-up: the design shown is the one nothing needs saving of.
void Form1::trackDesign() {
    m_document = std::make_unique<model::DesignDocument>(m_session);
    connect(m_document.get(), &model::DesignDocument::changed, this, &Form1::showTitle);
    showTitle();
}

bool Form1::hasUnsavedChanges() const {
    return m_document->hasUnsavedChanges();
}

bool Form1::openDesign(const QString& path) {
    QString error;
    if (m_document->open(path, &error))
        return true;
    // The reason names the file.
    messageBox(tr("The design could not be opened:\n%1").arg(error));
    return false;
}

bool Form1::saveTo(const QString& path) {
    QString error;
    if (m_document->saveAs(path, &error))
        return true;
    // The reason names the file and what went wrong.
    messageBox(tr("The design was not saved: %1").arg(error));
    return false;
}

bool Form1::fileSave() {
    return m_document->path().isEmpty() ? fileSaveAs() : saveTo(m_document->path());
}

bool Form1::fileSaveAs() {
    const QString& path = m_document->path();
    const QString suggested = path.isEmpty()
                                  ? QDir::home().filePath(m_document->displayName() + u'.' +
                                                          QLatin1String(model::DesignSuffix))
                                  : path;
    const QString chosen = runSaveDialog(suggested);
    return !chosen.isEmpty() && saveTo(chosen);
}

// True when the shown design may be left: nothing unsaved, saved now, or
// the user chose to discard it.
bool Form1::askToSave() {
    if (!hasUnsavedChanges())
        return true;
    switch (askSaveChanges(tr("Save changes to %1?").arg(m_document->displayName()))) {
    case SaveChoice::Save:
        return fileSave();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

void Form1::fileNew() {
    if (askToSave())
        m_document->newDesign();
}

void Form1::fileOpen() {
    if (!askToSave())
        return;
    const QString path = runOpenDialog();
    if (!path.isEmpty())
        openDesign(path);
}

void Form1::openRecent(const QString& path) {
    if (askToSave())
        openDesign(path);
}

void Form1::designProperties() {
    DesignPropertiesDialog dialog(m_session.titleBlock(), this);
    runPropertiesDialog(dialog);
    if (dialog.result() == QDialog::Accepted)
        m_session.setTitleBlock(dialog.titleBlock());
}

void Form1::closeEvent(QCloseEvent* e) {
    if (askToSave())
        e->accept();
    else
        e->ignore();
}

} // namespace ui
