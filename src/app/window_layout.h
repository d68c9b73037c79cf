#pragma once

// Where the window puts things at 100 %: the two chart surfaces at their
// twip positions (15 twips to a pixel), the side panel right of them. The
// layout code scales the chart column from here when the window resizes.
namespace app::layout {

constexpr int TwipsPerPixel = 15;
constexpr int px(int twips) {
    return twips / TwipsPerPixel;
}

constexpr int GraphLeft = 120, GraphTop = 240, GraphWidth = 10095, GraphHeight = 6495;  // twips
constexpr int ChartLeft = 120, ChartTop = 8160, ChartWidth = 10095, ChartHeight = 3135; // twips

constexpr int Margin = 8;           // pixels around the window's content
constexpr int ColumnGap = 11;       // pixels between the chart column and the side panel
constexpr int SidePanelWidth = 530; // pixels
constexpr int SidePanelLeft = px(GraphLeft) + px(GraphWidth) + ColumnGap;

} // namespace app::layout
