#pragma once

#include <QFrame>

class QComboBox;
class QGridLayout;
class QLabel;

namespace model {
class Session;
}

namespace ui {

// The weather year's results under the chart: where the year is from, the
// economizer, the annual results and the monthly table. It binds itself to
// the Session's weather study and shows itself only while a year is open.
class WeatherPanel : public QFrame {
    Q_OBJECT
public:
    explicit WeatherPanel(model::Session& session, QWidget* parent = nullptr);

private:
    // A label of a grid: its text and where it goes.
    struct Cell {
        QString text;
        int row, column;
        Qt::Alignment align;
        bool caption;
        bool squeeze = false; // may end in "…" in a narrow column (its tooltip has it whole)
        int span = 1;         // columns
    };
    void showStudy();
    // Writes the cells into the grid's labels: only the texts when the grid
    // has as many, anew otherwise.
    static void fill(QGridLayout* grid, QList<QLabel*>& labels, const QList<Cell>& cells);
    // The monthly table in the panel's font, or smaller (to 6 points) where
    // the column is too narrow for its thirteen columns.
    void fitMonths();
    void resizeEvent(QResizeEvent* e) override;

    model::Session& m_session;
    QLabel* m_location;
    QComboBox* m_economizer;
    QGridLayout* m_results; // (caption, value) pairs, two to a row
    QGridLayout* m_months;  // the months as columns
    QList<QLabel*> m_resultLabels, m_monthLabels;
};

} // namespace ui
