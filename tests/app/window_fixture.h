#pragma once

// What every window test needs: a Form1 whose settings live in a fresh
// temporary directory, a recorder for its message boxes, and the user's
// actions (typing into a field, leaving it) done with real key and focus
// events.

#include "app/form1.h"
#include "psychro/sheet.h"
#include "sheet_reference.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace fixture {

struct Window {
    QTemporaryDir dir;
    QStringList messages;
    std::unique_ptr<app::Form1> form;

    Window() {
        form = std::make_unique<app::Form1>(dir.filePath(QStringLiteral("quorvel.ini")));
        form->messageBox = [this](const QString& text) { messages << text; };
    }

    // Shows and activates the window so that focus can move between fields.
    bool activate() {
        form->show();
        QApplication::setActiveWindow(form.get());
        return QTest::qWaitForWindowActive(form.get());
    }

    QLineEdit* field(psychro::Field f) const { return form->field(f); }
    QString text(psychro::Field f) const { return form->field(f)->text(); }

    // Clicks into the field (focus), selects what it shows and types over it.
    void typeOver(QLineEdit* e, const QString& keys) {
        e->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        e->selectAll();
        QTest::keyClicks(e, keys);
    }
    // Moves the focus to the Print button: the field that had it is left.
    void leave() {
        form->cmdPrint->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
};

// The text fields of the window by control name: the sheet row by row
// (OUTDOOR, RETURN, SUPPLY, MIXED AIR), then load, condensate and share.
inline const QStringList& fieldNames() {
    static const QStringList names = {
        "txtOutdoorTemp",    "txtReturnTemp",     "txtSupplyTemp",
        "txtMixedTemp",      "txtOutdoorRH",      "txtReturnRH",
        "txtSupplyRH",       "txtMixedRH",        "txtOutdoorDew",
        "txtReturnDew",      "txtSupplyDew",      "txtMixedDew",
        "txtOutDoorWetBulb", "txtReturnWetBulb",  "txtSupplyWetBulb",
        "txtMixedWetBulb",   "txtOutdoorRatio",   "txtReturnRatio",
        "txtSupplyRatio",    "txtMixedRatio",     "txtOutdoorEnthalpy",
        "txtReturnEnthalpy", "txtSupplyEnthalpy", "txtMixedEnthalpy",
        "txtOutdoorSpVol",   "txtReturnSpVol",    "txtSupplySpVol",
        "txtMixedSpVol",     "txtOutdoorFlow",    "txtReturnFlow",
        "txtSupplyFlow",     "txtMixedFlow",      "txtOutdoorMass",
        "txtReturnMass",     "txtSupplyMass",     "txtMixedMass",
        "txtLoad",           "txtCondensate",     "txtFreshMix"};
    return names;
}

// The 25 derived fields that the warning picture replaces: everything read
// off the chart or computed from it, except the mixed dry bulb and RH, the
// flows and the load.
inline const QStringList& warningFieldNames() {
    static const QStringList names = {
        "txtOutdoorMass",     "txtMixedMass",     "txtReturnMass",     "txtSupplyMass",
        "txtOutdoorRatio",    "txtMixedRatio",    "txtReturnRatio",    "txtSupplyRatio",
        "txtOutDoorWetBulb",  "txtMixedWetBulb",  "txtReturnWetBulb",  "txtSupplyWetBulb",
        "txtOutdoorEnthalpy", "txtMixedEnthalpy", "txtReturnEnthalpy", "txtSupplyEnthalpy",
        "txtOutdoorDew",      "txtMixedDew",      "txtReturnDew",      "txtSupplyDew",
        "txtOutdoorSpVol",    "txtMixedSpVol",    "txtReturnSpVol",    "txtSupplySpVol",
        "txtCondensate"};
    return names;
}

inline QLineEdit* fieldNamed(const QWidget& form, const QString& name) {
    return form.findChild<QLineEdit*>(name);
}

// Texts of the window's fields that contain "nan" or "inf".
inline QStringList nonFiniteTexts(const QWidget& form) {
    QStringList bad;
    for (const QString& name : fieldNames()) {
        const QLineEdit* e = fieldNamed(form, name);
        const QString t = e ? e->text() : QStringLiteral("<missing>");
        if (t.contains(QLatin1String("nan"), Qt::CaseInsensitive) ||
            t.contains(QLatin1String("inf"), Qt::CaseInsensitive) || !e)
            bad << QStringLiteral("%1=%2").arg(name, t);
    }
    return bad;
}

// The fields whose shown text differs from the expected one.
inline QStringList sheetDifferences(const QWidget& form, const reference::Expected& want) {
    QStringList diff;
    for (auto it = want.text.cbegin(); it != want.text.cend(); ++it) {
        const QLineEdit* e = fieldNamed(form, it.key());
        if (!e)
            diff << QStringLiteral("no field %1").arg(it.key());
        else if (e->text() != it.value())
            diff << QStringLiteral("%1: shows '%2', expected '%3'")
                        .arg(it.key(), e->text(), it.value());
    }
    return diff;
}

} // namespace fixture
