#pragma once

#include <QWidget>

namespace ui {

class MethodBox;
class SurfaceWidget;

// The column of the window that holds the charts: the method's bar on top,
// the psychrometric chart and, below it while it is shown, the outside-air
// history chart, then the weather year's panel while a year is open. Both
// charts are drawn at the largest zoom at which they fit the column whole
// between the bar and the panel, keeping their proportions, whatever its
// size; the column never scrolls.
class ChartColumn : public QWidget {
    Q_OBJECT
public:
    ChartColumn(MethodBox* bar, SurfaceWidget* graph, SurfaceWidget* history, QWidget* panel,
                QWidget* parent = nullptr);

    // The zoom at which the charts fill a column of this size.
    double zoomFor(const QSize& size) const;
    // The column's size at a zoom.
    QSize sizeAtZoom(double zoom) const;
    // The charts' size at a zoom, without the bar.
    QSize chartsAtZoom(double zoom) const;

    QSize sizeHint() const override { return sizeAtZoom(1.0); }
    QSize minimumSizeHint() const override;

signals:
    // The charts were resized: both start blank and are to be drawn.
    void chartsReplaced();

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutCharts();
    int barSpace(int width) const; // the bar and the gap under it
    int panelSpace() const;        // the panel and the gap over it, when shown

    MethodBox* m_bar;
    SurfaceWidget* m_graph;
    SurfaceWidget* m_history;
    QWidget* m_panel;
};

} // namespace ui
