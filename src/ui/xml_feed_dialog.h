#pragma once

#include "model/feed_types.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

// The modal "XML Feed" dialog in which the user edits the feed settings.
// It edits the FeedSettings it is given: "Set to Default" resets them in
// memory at once, "OK" takes the typed values and writes the settings file,
// the close box saves nothing. The controls carry their historic names
// (also as objectName) so callers and tests find them with findChild.
class frmXMLFeed : public QDialog {
    Q_OBJECT

public:
    frmXMLFeed(model::FeedSettings& settings, model::SettingsStore& store,
               QWidget* parent = nullptr);

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
    QPushButton* Command2 = nullptr; // "Set to Default"
    QPushButton* Command1 = nullptr; // "OK"

private:
    void fillFields();
    // Only the chosen source's fields can be edited.
    void enableSourceFields();
    void Command2_Click();
    void Command1_Click();

    model::FeedSettings& m_settings;
    model::SettingsStore& m_store;
};

} // namespace ui
