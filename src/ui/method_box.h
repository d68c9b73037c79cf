#pragma once

#include <QWidget>

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;

namespace model {
class Session;
}

namespace ui {

// How the sheet is computed: the chart tables or the ASHRAE equations, in IP
// or SI, at an altitude or a barometric pressure. It binds itself to the
// Session: a choice goes to the Session, and what the Session then holds
// (units switched by the method, the station's pressure) comes back. One
// row when it fits, else two.
class MethodBox : public QWidget {
    Q_OBJECT
public:
    explicit MethodBox(model::Session& session, QWidget* parent = nullptr);

    // Its height at a width: one row or two.
    int heightFor(int width) const;
    int oneRowWidth() const;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void showSession();
    void applyPressure();

    model::Session& m_session;
    QBoxLayout* m_rows;
    QWidget *m_first, *m_second; // method and units; the pressure
    QComboBox* m_method;
    QComboBox* m_units;
    QComboBox* m_kind; // altitude or barometric pressure
    QLineEdit* m_value;
    QLabel* m_unit;
    QLabel* m_note; // the pressure in effect, or why a value was refused
};

} // namespace ui
