// The design as a file: the File menu's New, Open, Open Recent, Save, Save
// As and Design Properties, the question about unsaved changes, and the
// window title that names the file.
#include "ui/form1.h"

#include "ui/design_properties_dialog.h"
#include "ui/recent_designs.h"

#include "fileio/safe_write.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include <cstring>

namespace ui {

using psychro::Field;

namespace {

QString designFilter() {
    return QObject::tr("Quorvel design (*.qpsy)");
}

const QString Suffix = QStringLiteral("qpsy");

} // namespace

void Form1::buildFileMenu(QMenu* file) {
    // The menu's dialogs; tests replace them.
    runPropertiesDialog = [](DesignPropertiesDialog& dialog) { dialog.exec(); };
    runOpenDialog = [this] {
        return QFileDialog::getOpenFileName(this, tr("Open Design"),
                                            QFileInfo(m_fileName).absolutePath(), designFilter());
    };
    runSaveDialog = [this](const QString& suggested) {
        QFileDialog dialog(this, tr("Save Design As"), suggested, designFilter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(Suffix); // so the overwrite question names the real file
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
}

void Form1::showRecentMenu(QMenu* menu) {
    const QStringList stored = recent::load();
    const QStringList paths = recent::existing(stored);
    if (paths != stored)
        recent::store(paths);
    menu->clear();
    // An & in a file name is shown, not taken for a mnemonic.
    for (const QString& path : paths)
        menu->addAction(QFileInfo(path).fileName().replace(u'&', QStringLiteral("&&")), this,
                        [this, path] { openRecent(path); })
            ->setToolTip(QDir::toNativeSeparators(path));
    if (paths.isEmpty())
        menu->addAction(tr("No recent designs"))->setEnabled(false);
}

// After start-up: the design shown is the one nothing needs saving of, and
// every change the Session reports may make it differ.
void Form1::trackDesign() {
    m_saved = model::designOf(m_session);
    const model::Session* s = &m_session;
    connect(s, &model::Session::fieldChanged, this, &Form1::showTitle);
    connect(s, &model::Session::cityChanged, this, &Form1::showTitle);
    connect(s, &model::Session::operationChanged, this, &Form1::showTitle);
    connect(s, &model::Session::sliderLockChanged, this, &Form1::showTitle);
    connect(s, &model::Session::titleBlockChanged, this, &Form1::showTitle);
    connect(s, &model::Session::liveFeedChanged, this, &Form1::showTitle);
    showTitle();
}

bool Form1::hasUnsavedChanges() const {
    model::Design now = model::designOf(m_session);
    if (m_session.liveFeed()) {
        // Readings of the live feed are not an edit of the design.
        const auto& inputs = psychro::inputFields();
        for (size_t i = 0; i < inputs.size(); ++i)
            if (inputs[i] == Field::txtOutdoorTemp || inputs[i] == Field::txtOutdoorRH)
                now.inputs[i] = m_saved.inputs[i];
    }
    return now != m_saved;
}

// The shown design now matches the file at path (saved or opened there).
void Form1::takeAsSaved(const QString& path) {
    m_fileName = QFileInfo(path).absoluteFilePath();
    m_saved = model::designOf(m_session);
    recent::store(recent::withFirst(recent::load(), m_fileName));
    showTitle();
}

bool Form1::openDesign(const QString& path) {
    model::Design design;
    QString error;
    if (!model::readDesignFile(path, &design, &error)) {
        // The reason names the file.
        messageBox(tr("The design could not be opened:\n%1").arg(error));
        return false;
    }
    model::applyDesign(m_session, design);
    // What applying showed, corrections included, is what is now unchanged.
    takeAsSaved(path);
    return true;
}

bool Form1::saveTo(QString path) {
    if (QFileInfo(path).suffix().compare(Suffix, Qt::CaseInsensitive) != 0)
        path += u'.' + Suffix;
    QString error;
    QByteArray bytes;
    if (!model::designFileBytes(model::designOf(m_session), &bytes, &error) ||
        !fileio::writeFile(path, bytes, &error)) {
        // writeFile's message names the file and what went wrong.
        messageBox(tr("The design was not saved: %1").arg(error));
        return false;
    }
    takeAsSaved(path);
    return true;
}

bool Form1::fileSave() {
    return m_fileName.isEmpty() ? fileSaveAs() : saveTo(m_fileName);
}

bool Form1::fileSaveAs() {
    const QString suggested =
        m_fileName.isEmpty() ? QDir::home().filePath(tr("Untitled") + u'.' + Suffix) : m_fileName;
    const QString path = runSaveDialog(suggested);
    return !path.isEmpty() && saveTo(path);
}

// True when the shown design may be left: nothing unsaved, saved now, or
// the user chose to discard it.
bool Form1::askToSave() {
    if (!hasUnsavedChanges())
        return true;
    const QString name = m_fileName.isEmpty() ? tr("Untitled") : QFileInfo(m_fileName).fileName();
    switch (askSaveChanges(tr("Save changes to %1?").arg(name))) {
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
    if (!askToSave())
        return;
    // The start-up design of a Session of its own, with an empty title block.
    model::Session blank;
    blank.startUp();
    model::Design design = model::designOf(blank);
    design.title = {};
    design.unknown = {};
    model::applyDesign(m_session, design);
    m_fileName.clear();
    m_saved = model::designOf(m_session);
    showTitle();
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
