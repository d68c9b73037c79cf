#include "ui/xml_feed_dialog.h"

#include "chart/surface.h"
#include "feed/feed_settings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace ui {

namespace {

constexpr int twips(int t) {
    return chart::pxOfTwips(t);
}

template <typename W>
W* place(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
    return w;
}

} // namespace

frmXMLFeed::frmXMLFeed(model::FeedSettings& settings, model::SettingsStore& store, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_store(store) {
    setObjectName(QStringLiteral("frmXMLFeed"));
    setWindowTitle(QStringLiteral("XML Feed"));
    setFixedSize(twips(10755), twips(6390));

    // Label sizes are not part of the drawn layout; these fit their captions.
    Label1 = place<QLabel>(this, "Label1", 0, 240, 4000, 300);
    Label1->setText(QStringLiteral("XML Feed Current Conditions"));
    txtXMLCurrent = place<QLineEdit>(this, "txtXMLCurrent", 240, 600, 10215, 495);
    Label2 = place<QLabel>(this, "Label2", 0, 1440, 4000, 300);
    Label2->setText(QStringLiteral("XML Daily History"));
    txtXMLDaily = place<QLineEdit>(this, "txtXMLDaily", 240, 1680, 10215, 495);
    Lablel3 = place<QLabel>(this, "Lablel3", 240, 3360, 2000, 300);
    Lablel3->setText(QStringLiteral("Local time offset from GMT"));
    txtGMTOffet = place<QLineEdit>(this, "txtGMTOffet", 2280, 3360, 735, 315);
    // The drawn width does not hold the caption in every font; the box then
    // moves right of it (the buttons are far enough away).
    if (Lablel3->width() < Lablel3->sizeHint().width()) {
        Lablel3->resize(Lablel3->sizeHint().width(), Lablel3->height());
        txtGMTOffet->move(Lablel3->geometry().right() + twips(60), txtGMTOffet->y());
    }
    auto* sourceLabel = place<QLabel>(this, "lblSource", 240, 4200, 2000, 300);
    sourceLabel->setText(QStringLiteral("Source"));
    cboSource = place<QComboBox>(this, "cboSource", 2280, 4140, 4000, 400);
    cboSource->addItems(
        {QStringLiteral("Station addresses (XML)"), QStringLiteral("Weather service station")});
    auto row = [this](const char* label, const char* name, const QString& caption, int top,
                      int width) {
        auto* l = place<QLabel>(this, label, 240, top + 60, 2000, 300);
        l->setText(caption);
        return place<QLineEdit>(this, name, 2280, top, width, 400);
    };
    txtNWSStation = row("lblNWSStation", "txtNWSStation", QStringLiteral("Station"), 4680, 1500);
    txtNWSBaseURL =
        row("lblNWSBaseURL", "txtNWSBaseURL", QStringLiteral("Service address"), 5220, 8175);
    txtNWSContact =
        row("lblNWSContact", "txtNWSContact", QStringLiteral("Contact (e-mail)"), 5760, 8175);
    connect(cboSource, &QComboBox::currentIndexChanged, this, [this] { enableSourceFields(); });

    Command2 = place<QPushButton>(this, "Command2", 7680, 3360, 1335, 615);
    Command2->setText(QStringLiteral("Set to Default"));
    Command1 = place<QPushButton>(this, "Command1", 9120, 3360, 1335, 615);
    Command1->setText(QStringLiteral("OK"));

    // Return anywhere presses OK; focus on "Set to Default" must not take
    // that over.
    Command2->setAutoDefault(false);
    Command1->setDefault(true);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    fillFields();
}

void frmXMLFeed::fillFields() {
    txtXMLDaily->setText(m_settings.gXMLDaily);
    txtXMLCurrent->setText(m_settings.gXMLCurrent);
    txtGMTOffet->setText(QString::number(m_settings.gGMTOffset));
    txtNWSStation->setText(m_settings.nwsStation);
    txtNWSBaseURL->setText(m_settings.nwsBaseUrl);
    txtNWSContact->setText(m_settings.nwsContact);
    cboSource->setCurrentIndex(m_settings.feedSource == QLatin1String("nws") ? 1 : 0);
    enableSourceFields();
}

void frmXMLFeed::enableSourceFields() {
    const bool service = cboSource->currentIndex() == 1;
    for (QLineEdit* e : {txtNWSStation, txtNWSBaseURL, txtNWSContact})
        e->setEnabled(service);
    for (QLineEdit* e : {txtXMLCurrent, txtXMLDaily})
        e->setEnabled(!service);
}

void frmXMLFeed::Command2_Click() {
    m_store.LoadFeedSettings(m_settings, 0);
    fillFields();
}

void frmXMLFeed::Command1_Click() {
    m_settings.gXMLDaily = txtXMLDaily->text();
    m_settings.gXMLCurrent = txtXMLCurrent->text();
    feed::convertGmtOffset(txtGMTOffet->text(),
                           &m_settings.gGMTOffset); // out of range: keep previous
    m_settings.feedSource =
        cboSource->currentIndex() == 1 ? QStringLiteral("nws") : QStringLiteral("xml");
    m_settings.nwsStation = txtNWSStation->text().trimmed().toUpper();
    m_settings.nwsBaseUrl = txtNWSBaseURL->text().trimmed();
    m_settings.nwsContact = txtNWSContact->text().trimmed();

    // The result is not looked at: a file that cannot be written leaves the
    // new settings in effect for this run only.
    m_store.save(m_settings);
    accept();
}

} // namespace ui
