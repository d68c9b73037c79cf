#include "fresh_air_slider.h"

#include "psychro/numconv.h"

#include <QTimer>

namespace inputs {

FreshAirSlider::FreshAirSlider(const SliderControls& c, psychro::ChartState& s,
                               std::function<void()> drawGraphs, QObject* parent)
    : QObject(parent), m_c(c), m_s(s), m_drawGraphs(std::move(drawGraphs)) {
    connect(c.SliderBackGrnd, &SliderTrack::mouseMoved, this,
            &FreshAirSlider::SliderBackGrnd_MouseMove);
    connect(c.slider, &SliderKnob::doubleClicked, this, &FreshAirSlider::toggleLock);
    connect(c.Image1, &ClickableImage::clicked, this, &FreshAirSlider::toggleLock);
    showLook();
}

void FreshAirSlider::placeKnob() {
    const double travel = m_c.SliderBackGrnd->widthTwips() - m_c.slider->widthTwips();
    m_c.slider->setLeftTwips(travel * double(m_s.in.gAirRate));
}

// Closed: the closed lock on a raised 3-D button. Open: the open lock, flat
// and borderless.
void FreshAirSlider::showLook() {
    if (SliderEnabled) {
        m_c.Image1->setPixmap(m_c.imgLockOpen->pixmap());
        m_c.Image1->setFrameStyle(QFrame::NoFrame);
    } else {
        m_c.Image1->setPixmap(m_c.imglockclosed->pixmap());
        m_c.Image1->setFrameStyle(QFrame::Panel | QFrame::Raised);
        m_c.Image1->setLineWidth(1);
    }
}

void FreshAirSlider::toggleLock() {
    SliderEnabled = !SliderEnabled;
    showLook();
}

void FreshAirSlider::SliderBackGrnd_MouseMove(double X) {
    if (!SliderEnabled)
        return;
    m_c.Timer2->stop();
    const double trackW = m_c.SliderBackGrnd->widthTwips();
    const double knobW = m_c.slider->widthTwips();
    // The pointer is the knob's centre, kept inside the track.
    const double h = knobW / 2;
    if (X < h)
        X = h;
    if (X > trackW - h)
        X = trackW - h;
    m_c.slider->setLeftTwips(X - h);
    m_s.in.gAirRate = psychro::ToSingle((X - h) * (100 / (trackW - knobW)) / 100);
    m_s.anim = {};
    m_drawGraphs();
    // Writing the rounded share raises the field's change handler, which
    // snaps knob and share to the 0.1 % grid and redraws once more.
    m_c.txtFreshMix->setText(
        psychro::FormatNumber(double(m_s.in.gAirRate) * 100, QStringLiteral("#0.0")));
}

} // namespace inputs
