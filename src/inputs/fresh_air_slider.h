#pragma once

#include "input_widgets.h"

#include "psychro/chart_state.h"

#include <QObject>

#include <functional>

class QTimer;

namespace inputs {

struct SliderControls {
    SliderTrack* SliderBackGrnd = nullptr;
    SliderKnob* slider = nullptr;
    ClickableImage* Image1 = nullptr;
    QLabel* imglockclosed = nullptr;
    QLabel* imgLockOpen = nullptr;
    InputField* txtFreshMix = nullptr;
    QTimer* Timer2 = nullptr;
};

// The fresh-air slider and its lock. Unlocked, the knob follows the pointer
// over the track with no button held; locked, the pointer changes nothing,
// so passing over it cannot disturb the mix. Knob and share are tied by
// one rule both ways: knob left edge = travel x share, where the travel is
// track width less knob width (twips).
class FreshAirSlider : public QObject {
    Q_OBJECT
public:
    FreshAirSlider(const SliderControls& c, psychro::ChartState& s,
                   std::function<void()> drawGraphs, QObject* parent = nullptr);

    bool SliderEnabled = false;

    // Moves the knob to the share held in gAirRate.
    void placeKnob();
    // Click on the lock image or double click on the knob.
    void toggleLock();
    // Pointer movement over the track, x in twips of the track.
    void SliderBackGrnd_MouseMove(double X);

private:
    void showLook();

    SliderControls m_c;
    psychro::ChartState& m_s;
    std::function<void()> m_drawGraphs;
};

} // namespace inputs
