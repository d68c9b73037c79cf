#pragma once

#include "model/feed_types.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace model {
class Session;
}

namespace ui {

// The modal "XML Feed" dialog in which the user edits the feed settings of
// a Session. "Restore Defaults" puts the built-in settings in effect at
// once; "OK" hands the typed ones to the Session, which saves them in the
// settings file or refuses them (the dialog then stays open and says why);
// Cancel and the close box change nothing more. The controls carry their
// historic names (also as objectName) so callers and tests find them.
class frmXMLFeed : public QDialog {
    Q_OBJECT

public:
    explicit frmXMLFeed(model::Session& session, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* txtXMLCurrent = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtXMLDaily = nullptr;
    QLabel* Lablel3 = nullptr;
    QLineEdit* txtGMTOffet = nullptr;
    // Which source: the two station documents above, or a station of the
    // weather service's web API named below.
    QComboBox* cboSource = nullptr;
    QLineEdit* txtNWSStation = nullptr;
    QLineEdit* txtNWSBaseURL = nullptr;
    QLineEdit* txtNWSContact = nullptr;
    QLabel* lblProblem = nullptr;    // why OK was refused
    QPushButton* Command2 = nullptr; // Restore Defaults
    QPushButton* Command1 = nullptr; // OK

private:
    void fillFields(const model::FeedSettings& s);
    // Only the chosen source's fields can be edited.
    void enableSourceFields();
    void Command2_Click();
    void Command1_Click();

    model::Session& m_session;
};

} // namespace ui
