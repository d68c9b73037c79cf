#pragma once

#include "feed/feed_settings.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace feed {

// The modal "XML Feed" dialog in which the user edits the feed settings.
// It edits the FeedSettings it is given: "Set to Default" resets them in
// memory at once, "OK" takes the typed values and writes the settings file,
// the close box saves nothing. The controls carry their historic names
// (also as objectName) so callers and tests find them with findChild.
class frmXMLFeed : public QDialog {
    Q_OBJECT

public:
    explicit frmXMLFeed(FeedSettings& settings, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* txtXMLCurrent = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtXMLDaily = nullptr;
    QLabel* Lablel3 = nullptr;
    QLineEdit* txtGMTOffet = nullptr;
    QPushButton* Command2 = nullptr; // "Set to Default"
    QPushButton* Command1 = nullptr; // "OK"

private:
    void fillFields();
    void Command2_Click();
    void Command1_Click();

    FeedSettings& m_settings;
};

} // namespace feed
