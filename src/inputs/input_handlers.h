#pragma once

#include "input_widgets.h"

#include "psychro/chart_state.h"

#include <QObject>

#include <functional>

namespace inputs {

struct InputControls {
    InputField* txtOutdoorTemp = nullptr;
    InputField* txtOutdoorRH = nullptr;
    InputField* txtReturnTemp = nullptr;
    InputField* txtReturnRH = nullptr;
    InputField* txtSupplyTemp = nullptr;
    InputField* txtSupplyRH = nullptr;
    InputField* txtSupplyFlow = nullptr;
    InputField* txtFreshMix = nullptr;
};

// What typing into and leaving each input field does: which working value
// takes the number, when the chart is redrawn, and how an out-of-range
// entry is corrected in the field itself. Validation is silent: a redraw
// is held back while typing and the text is rewritten on leaving.
//
// A rewrite from a focus-lost handler raises the field's change handler at
// once (the text-changed signal is synchronous), before the focus-lost
// handler goes on; the handlers rely on that order.
class InputHandlers : public QObject {
    Q_OBJECT
public:
    InputHandlers(const InputControls& c, psychro::WorkingInputs& in,
                  std::function<void()> drawGraphs, std::function<void()> placeKnob,
                  QObject* parent = nullptr);

    void txtOutdoorTemp_Change();
    void txtOutdoorRH_Change();
    void txtOutdoorRH_LostFocus();
    void txtReturnTemp_Change();
    void txtReturnRH_Change();
    void txtReturnRH_LostFocus();
    void txtSupplyTemp_Change();
    void txtSupplyRH_Change();
    void txtSupplyRH_LostFocus();
    void txtSupplyFlow_LostFocus();
    void txtFreshMix_Change();
    void txtFreshMix_LostFocus();

private:
    // Shared by the three RH fields: rewrite a value outside 1..100.
    static void clampRh(InputField* field, double value);

    InputControls m_c;
    psychro::WorkingInputs& m_in;
    std::function<void()> m_drawGraphs;
    std::function<void()> m_placeKnob;
};

} // namespace inputs
