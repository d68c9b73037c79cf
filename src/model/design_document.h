#pragma once

#include "model/design.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace model {

class Session;

// The design a Session shows, as a document: the file it was opened from
// or saved to, the design as it stands there, whether what the Session
// shows has changed since, and the recent list. File -> New, Open and Save
// run here, headless; the window asks the user and shows the outcome.
class DesignDocument : public QObject {
    Q_OBJECT
public:
    // Takes what the Session shows now (after its start-up) as the
    // start-up design: unchanged, untitled, and what New brings back.
    explicit DesignDocument(Session& session, QObject* parent = nullptr);

    // The file's absolute path; empty for a design never saved.
    const QString& path() const { return m_path; }
    // "ahu3.qpsy", or "Untitled" for a design never saved.
    QString displayName() const;
    // What the Session shows differs from the design as saved or opened;
    // values the live feed brings in are not a change of the design.
    bool hasUnsavedChanges() const;

    // The start-up design with an empty title block, untitled.
    void newDesign();
    // Opens a design file through the Session's procedures. False, with a
    // reason that names the file, when it cannot be opened; the design
    // shown is then left as it was.
    bool open(const QString& path, QString* error);
    // The design as the bytes of its file (see designFileBytes), to be
    // written at forPath: a weather year beside it is named by its file
    // name alone, so the two move together.
    bool fileBytes(QByteArray* bytes, QString* error, const QString& forPath = {}) const;
    // Saves to path, the design suffix added to a new name without it; the
    // document is then that file. False, with the reason, when not saved.
    bool saveAs(QString path, QString* error);

    // The designs opened or saved last, newest first, those that still
    // exist (the list forgets the others).
    QStringList recentDesigns() const;
    // Whether opening and saving put the file on the recent list (they do
    // unless told otherwise).
    void setKeepsRecent(bool keeps) { m_keepsRecent = keeps; }

signals:
    // The path or the unsaved state may have changed.
    void changed();

private:
    void takeAsSaved(const QString& path);

    Session& m_session;
    QString m_path;
    Design m_saved;   // what m_path holds, or the start-up design
    Design m_startUp; // what New brings back
    bool m_keepsRecent = true;
};

} // namespace model
