#pragma once

#include "chart/surface.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

// The small widgets behind the input side of the window: text fields that
// report losing the focus, the fresh-air slider's track and knob, the
// clickable lock image and the list of design cities; and a line of text
// that ends in an ellipsis where it has too little room.
namespace ui {

// A text field that reports when the user leaves it. Switching to another
// window or opening a popup is not leaving the field. Enter moves on to the
// next field, which leaves this one.
class InputField : public QLineEdit {
    Q_OBJECT
public:
    explicit InputField(const QString& text, QWidget* parent = nullptr);
signals:
    void focusLost();

protected:
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

// A widget that shows one picture stretched over itself (track or knob).
class ArtworkWidget : public QWidget {
    Q_OBJECT
public:
    explicit ArtworkWidget(QWidget* parent = nullptr) : QWidget(parent) {}
    void setArtwork(const QImage& image) {
        m_art = image;
        update();
    }
    double widthTwips() const { return width() * double(chart::TwipsPerPixel); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_art;
};

// The slider's track; reports every pointer movement over it, button held
// or not, as x in twips of the track.
class SliderTrack : public ArtworkWidget {
    Q_OBJECT
public:
    explicit SliderTrack(QWidget* parent = nullptr);
signals:
    void mouseMoved(double xTwips);

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
};

// The knob, a child of the track; only its left edge moves.
class SliderKnob : public ArtworkWidget {
    Q_OBJECT
public:
    explicit SliderKnob(QWidget* parent = nullptr);
    void setLeftTwips(double twips);
signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // Movement over the knob stays with the knob; the track does not see it.
    void mouseMoveEvent(QMouseEvent* e) override;
};

// An image that reports clicks (the slider's lock button).
class ClickableImage : public QLabel {
    Q_OBJECT
public:
    explicit ClickableImage(QWidget* parent = nullptr);
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// The design cities, as wide as the longest name. Qt measures every name
// each time it is asked for the list's width and for its least width, which
// are the same, and again on first showing: the size is kept here until
// the names, the font or the style change.
class CityList : public QComboBox {
    Q_OBJECT
public:
    explicit CityList(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void changeEvent(QEvent* e) override;

private:
    mutable QSize m_hint;
};

// One line of plain text that ends in "…" where its room is too narrow,
// instead of being cut off mid-letter; text() keeps the whole of it.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text = QString(), QWidget* parent = nullptr);
    // The text as it is drawn at the label's present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* e) override;
};

} // namespace ui
