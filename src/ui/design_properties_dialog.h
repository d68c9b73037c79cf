#pragma once

#include "model/design.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QDialogButtonBox;

namespace ui {

// The modal "Design Properties" dialog: the title block of the design, as
// printed on its sheet. It edits a copy; titleBlock() gives what was typed.
// The controls carry their names as objectName so tests find them.
class DesignPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    explicit DesignPropertiesDialog(const model::TitleBlock& title, QWidget* parent = nullptr);

    model::TitleBlock titleBlock() const;

    QLineEdit* txtProject = nullptr;
    QLineEdit* txtAirHandler = nullptr;
    QLineEdit* txtEngineer = nullptr;
    QLineEdit* txtDate = nullptr;
    QPlainTextEdit* txtNotes = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

} // namespace ui
