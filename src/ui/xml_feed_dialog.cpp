#include "ui/xml_feed_dialog.h"

#include "ui/named.h"

#include "feed/feed_settings.h"
#include "model/session.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace ui {

frmXMLFeed::frmXMLFeed(model::Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("frmXMLFeed"));
    setWindowTitle(QStringLiteral("XML Feed"));

    auto* form = new QFormLayout;
    auto row = [this, form](const char* labelName, const QString& caption, const char* name) {
        auto* l = named(new QLabel(caption), labelName);
        auto* e = named(new QLineEdit, name);
        form->addRow(l, e);
        return std::pair{l, e};
    };
    std::tie(Label1, txtXMLCurrent) =
        row("Label1", QStringLiteral("XML Feed Current Conditions"), "txtXMLCurrent");
    std::tie(Label2, txtXMLDaily) =
        row("Label2", QStringLiteral("XML Daily History"), "txtXMLDaily");
    std::tie(Lablel3, txtGMTOffet) =
        row("Lablel3", QStringLiteral("Local time offset from GMT"), "txtGMTOffet");
    txtGMTOffet->setMaximumWidth(80);
    cboSource = named(new QComboBox, "cboSource");
    cboSource->addItems(
        {QStringLiteral("Station addresses (XML)"), QStringLiteral("Weather service station")});
    form->addRow(named(new QLabel(QStringLiteral("Source")), "lblSource"), cboSource);
    txtNWSStation = row("lblNWSStation", QStringLiteral("Station"), "txtNWSStation").second;
    txtNWSStation->setMaximumWidth(120);
    // Letters and digits only, five at most: nothing else names a station.
    txtNWSStation->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z0-9]{0,5}")), txtNWSStation));
    txtNWSBaseURL = row("lblNWSBaseURL", QStringLiteral("Service address"), "txtNWSBaseURL").second;
    txtNWSContact =
        row("lblNWSContact", QStringLiteral("Contact (e-mail)"), "txtNWSContact").second;
    for (QLineEdit* e : {txtXMLCurrent, txtXMLDaily, txtNWSBaseURL, txtNWSContact})
        e->setMinimumWidth(420);
    connect(cboSource, &QComboBox::currentIndexChanged, this, [this] { enableSourceFields(); });

    lblProblem = named(new QLabel, "lblProblem");
    lblProblem->setWordWrap(true);
    lblProblem->setStyleSheet(QStringLiteral("color: #a00000"));
    lblProblem->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::RestoreDefaults);
    Command1 = named(buttons->button(QDialogButtonBox::Ok), "Command1");
    Command2 = named(buttons->button(QDialogButtonBox::RestoreDefaults), "Command2");
    // Return anywhere presses OK; focus on Restore Defaults must not take
    // that over.
    Command2->setAutoDefault(false);
    Command1->setDefault(true);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Command1_Click(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblProblem);
    layout->addStretch(1);
    layout->addWidget(buttons);
    fillFields(m_session.feedSettings());
}

void frmXMLFeed::fillFields(const model::FeedSettings& s) {
    txtXMLDaily->setText(s.gXMLDaily);
    txtXMLCurrent->setText(s.gXMLCurrent);
    txtGMTOffet->setText(QString::number(s.gGMTOffset));
    txtNWSStation->setText(s.nwsStation);
    txtNWSBaseURL->setText(s.nwsBaseUrl);
    txtNWSContact->setText(s.nwsContact);
    // An address shows from its start: the host says more than the end of
    // its query, where setText leaves the cursor.
    for (QLineEdit* e : {txtXMLCurrent, txtXMLDaily, txtNWSBaseURL, txtNWSContact})
        e->setCursorPosition(0);
    cboSource->setCurrentIndex(s.feedSource == QLatin1String("nws") ? 1 : 0);
    enableSourceFields();
}

void frmXMLFeed::enableSourceFields() {
    const bool service = cboSource->currentIndex() == 1;
    for (QLineEdit* e : {txtNWSStation, txtNWSBaseURL, txtNWSContact})
        e->setEnabled(service);
    for (QLineEdit* e : {txtXMLCurrent, txtXMLDaily})
        e->setEnabled(!service);
}

// The defaults take effect at once; the file keeps its values until OK.
void frmXMLFeed::Command2_Click() {
    const model::FeedSettings defaults = m_session.defaultFeedSettings();
    m_session.useFeedSettings(defaults);
    fillFields(defaults);
}

void frmXMLFeed::Command1_Click() {
    model::FeedSettings s = m_session.feedSettings();
    s.gXMLDaily = txtXMLDaily->text();
    s.gXMLCurrent = txtXMLCurrent->text();
    feed::convertGmtOffset(txtGMTOffet->text(), &s.gGMTOffset); // out of range: keep previous
    s.feedSource = cboSource->currentIndex() == 1 ? QStringLiteral("nws") : QStringLiteral("xml");
    s.nwsStation = txtNWSStation->text().trimmed().toUpper();
    s.nwsBaseUrl = txtNWSBaseURL->text().trimmed();
    s.nwsContact = txtNWSContact->text().trimmed();
    // A file that cannot be written leaves the new settings in effect for
    // this run only.
    const QString problem = m_session.useFeedSettings(s, true);
    lblProblem->setText(problem);
    lblProblem->setVisible(!problem.isEmpty());
    if (problem.isEmpty())
        accept();
}

} // namespace ui
