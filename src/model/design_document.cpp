#include "model/design_document.h"

#include "model/recent_designs.h"
#include "model/session.h"
#include "model/weather_study.h"

#include "fileio/safe_write.h"

#include <QDir>
#include <QFileInfo>

namespace model {

using psychro::Field;

DesignDocument::DesignDocument(Session& session, QObject* parent)
    : QObject(parent), m_session(session), m_saved(designOf(session)), m_startUp(m_saved) {
    m_startUp.title = {};
    m_startUp.unknown = {};
    // Every change the Session reports may make it differ.
    connect(&session, &Session::fieldChanged, this, &DesignDocument::changed);
    for (void (Session::*signal)() :
         {&Session::cityChanged, &Session::operationChanged, &Session::sliderLockChanged,
          &Session::titleBlockChanged, &Session::liveFeedChanged, &Session::methodChanged})
        connect(&session, signal, this, &DesignDocument::changed);
    // The weather year and its economizer are kept in the file too.
    connect(&session.weather(), &WeatherStudy::changed, this, &DesignDocument::changed);
}

QString DesignDocument::displayName() const {
    return m_path.isEmpty() ? tr("Untitled") : QFileInfo(m_path).fileName();
}

bool DesignDocument::hasUnsavedChanges() const {
    Design now = designOf(m_session);
    if (m_session.liveFeed()) {
        // Readings of the live feed are not an edit of the design.
        const auto& inputs = psychro::inputFields();
        for (size_t i = 0; i < inputs.size(); ++i)
            if (inputs[i] == Field::txtOutdoorTemp || inputs[i] == Field::txtOutdoorRH)
                now.inputs[i] = m_saved.inputs[i];
    }
    return now != m_saved;
}

void DesignDocument::newDesign() {
    applyDesign(m_session, m_startUp);
    m_path.clear();
    m_saved = designOf(m_session);
    emit changed();
}

// The design shown now matches the file at path (saved or opened there).
void DesignDocument::takeAsSaved(const QString& path) {
    m_path = QFileInfo(path).absoluteFilePath();
    m_saved = designOf(m_session);
    if (m_keepsRecent)
        recent::store(recent::withFirst(recent::load(), m_path));
    emit changed();
}

bool DesignDocument::open(const QString& path, QString* error) {
    Design design;
    if (!readDesignFile(path, &design, error))
        return false;
    // A weather year is named from where the design sits.
    if (!design.weatherYear.isEmpty())
        design.weatherYear = QFileInfo(path).dir().absoluteFilePath(design.weatherYear);
    applyDesign(m_session, design);
    // What applying showed, corrections included, is what is now unchanged.
    takeAsSaved(path);
    return true;
}

bool DesignDocument::fileBytes(QByteArray* bytes, QString* error, const QString& forPath) const {
    Design d = designOf(m_session);
    const QFileInfo weather(d.weatherYear);
    if (!forPath.isEmpty() && !d.weatherYear.isEmpty() &&
        weather.absolutePath() == QFileInfo(forPath).absolutePath())
        d.weatherYear = weather.fileName();
    return designFileBytes(d, bytes, error);
}

bool DesignDocument::saveAs(QString path, QString* error) {
    // A new name gets the suffix; the file the design is, whatever its
    // name, is saved where it is.
    const QFileInfo file(path);
    if (file.absoluteFilePath() != m_path &&
        file.suffix().compare(QLatin1String(DesignSuffix), Qt::CaseInsensitive) != 0)
        path += u'.' + QLatin1String(DesignSuffix);
    QByteArray bytes;
    if (!fileBytes(&bytes, error, path) || !fileio::writeFile(path, bytes, error))
        return false;
    takeAsSaved(path);
    return true;
}

QStringList DesignDocument::recentDesigns() const {
    const QStringList stored = recent::load();
    const QStringList paths = recent::existing(stored);
    if (paths != stored)
        recent::store(paths);
    return paths;
}

} // namespace model
