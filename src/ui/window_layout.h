#pragma once

#include "chart/chart_export.h"
#include "chart/surface.h"

// Where the window puts things at 100 %: the two chart surfaces at their
// twip positions, the side panel right of them. The layout code scales the
// chart column from here when the window resizes.
namespace ui::layout {

constexpr int px(int twips) {
    return chart::pxOfTwips(twips);
}

constexpr int GraphLeft = 120, GraphTop = 240;  // twips
constexpr int ChartLeft = 120, ChartTop = 8160; // twips

constexpr int Margin = 8;           // pixels around the window's content
constexpr int ColumnGap = 11;       // pixels between the chart column and the side panel
constexpr int SidePanelWidth = 530; // pixels
// The surfaces' frames are 2 pixels wide on each side.
constexpr int SidePanelLeft = px(GraphLeft) + chart::GraphWidthPx + 4 + ColumnGap;

} // namespace ui::layout
