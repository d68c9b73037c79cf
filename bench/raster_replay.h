#pragma once

#include "chart/recording_surface.h"

#include <QImage>

// Replays recorded chart primitives straight into a QPainter on an image:
// the least any drawing pipeline must spend on the same picture, at the
// image's device pixel ratio.
void replayInto(QImage& image, const QImage& background, const chart::RecordingSurface& recorded);
