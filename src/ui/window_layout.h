#pragma once

#include "chart/surface.h"

// How the window spaces its content, in pixels at 100 %.
namespace ui::layout {

constexpr int px(int twips) {
    return chart::pxOfTwips(twips);
}

constexpr int Margin = 8;           // around the window's content
constexpr int ColumnGap = 11;       // between the chart column and the side panel
constexpr int SidePanelWidth = 530; // the side panel's content
constexpr int GroupSpacing = 6;     // between the side panel's groups
constexpr int GroupMargin = 6;      // inside a group's frame
constexpr int FieldSpacing = 2;     // between the rows of fields

} // namespace ui::layout
