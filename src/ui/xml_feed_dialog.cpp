#include "ui/xml_feed_dialog.h"

#include "chart/surface.h"
#include "feed/feed_settings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    setFixedSize(twips(10755), twips(3990));

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

    // The result is not looked at: a file that cannot be written leaves the
    // new settings in effect for this run only.
    m_store.save(m_settings);
    accept();
}

} // namespace ui
