#include "ui/input_widgets.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <cmath>

namespace ui {

InputField::InputField(const QString& text, QWidget* parent) : QLineEdit(text, parent) {}

void InputField::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason)
        return;
    emit focusLost();
}

void InputField::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        focusNextChild();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void ArtworkWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_art.isNull())
        p.drawImage(rect(), m_art);
}

SliderTrack::SliderTrack(QWidget* parent) : ArtworkWidget(parent) {
    setMouseTracking(true);
}

void SliderTrack::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved(e->position().x() * chart::TwipsPerPixel);
}

SliderKnob::SliderKnob(QWidget* parent) : ArtworkWidget(parent) {
    setMouseTracking(true);
}

void SliderKnob::mouseMoveEvent(QMouseEvent* e) {
    e->accept();
}

void SliderKnob::setLeftTwips(double twips) {
    move(int(std::lround(twips / chart::TwipsPerPixel)), y());
}

void SliderKnob::mouseDoubleClickEvent(QMouseEvent*) {
    emit doubleClicked();
}

ClickableImage::ClickableImage(QWidget* parent) : QLabel(parent) {}

void ClickableImage::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

CityList::CityList(QWidget* parent) : QComboBox(parent) {
    const auto forget = [this] { m_hint = QSize(); };
    connect(model(), &QAbstractItemModel::rowsInserted, this, forget);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, forget);
}

QSize CityList::sizeHint() const {
    if (!m_hint.isValid())
        m_hint = QComboBox::sizeHint();
    return m_hint;
}

void CityList::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange)
        m_hint = QSize();
    QComboBox::changeEvent(e);
}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent* e) {
    const QString shown = shownText();
    // Whole, it is drawn as any label is.
    if (shown == text()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    style()->drawItemText(&p, contentsRect(),
                          QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shown, foregroundRole());
}

} // namespace ui
