#include "ui/design_properties_dialog.h"

#include "ui/named.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <type_traits>

namespace ui {

namespace {

// A named field holding the text.
template <typename W> W* filled(const char* name, const QString& text) {
    auto* w = named(new W, name);
    if constexpr (std::is_same_v<W, QPlainTextEdit>)
        w->setPlainText(text);
    else
        w->setText(text);
    return w;
}

} // namespace

DesignPropertiesDialog::DesignPropertiesDialog(const model::TitleBlock& title, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DesignPropertiesDialog"));
    setWindowTitle(tr("Design Properties"));
    txtProject = filled<QLineEdit>("txtProject", title.project);
    txtAirHandler = filled<QLineEdit>("txtAirHandler", title.airHandler);
    txtEngineer = filled<QLineEdit>("txtEngineer", title.engineer);
    txtDate = filled<QLineEdit>("txtDate", title.date);
    txtNotes = filled<QPlainTextEdit>("txtNotes", title.notes);
    // Enter in the notes starts a new line; it must not close the dialog.
    txtNotes->setTabChangesFocus(true);

    auto* form = new QFormLayout(this);
    form->addRow(tr("&Project:"), txtProject);
    form->addRow(tr("&Air handler:"), txtAirHandler);
    form->addRow(tr("&Engineer:"), txtEngineer);
    form->addRow(tr("&Date:"), txtDate);
    form->addRow(tr("&Notes:"), txtNotes);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("buttons"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

model::TitleBlock DesignPropertiesDialog::titleBlock() const {
    return {txtProject->text(), txtAirHandler->text(), txtEngineer->text(), txtDate->text(),
            txtNotes->toPlainText()};
}

} // namespace ui
