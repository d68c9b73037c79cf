#pragma once

#include "chart/image_surface.h"

#include <QFrame>

#include <memory>

namespace app {

// A picture box: a sunken frame around a chart surface whose persistent
// image it paints without rescaling.
class SurfaceWidget : public QFrame {
    Q_OBJECT
public:
    static constexpr int Border = 2; // pixels of the sunken frame on each side

    // innerWidth, innerHeight: the drawable area in device-independent pixels.
    SurfaceWidget(int innerWidth, int innerHeight, QWidget* parent = nullptr);

    chart::ImageSurface& surface() { return *m_surface; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::unique_ptr<chart::ImageSurface> m_surface;
};

} // namespace app
