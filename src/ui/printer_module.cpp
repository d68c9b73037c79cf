// The printer and its dialog, built as a module that the window loads on
// its first print (see printer_job.h).
#include "ui/printer_job.h"

#include <QPrintDialog>
#include <QPrinter>

#include <type_traits>

namespace ui {

namespace {

class Printer final : public PrinterJob {
public:
    explicit Printer(const QString& docName) : m_printer(QPrinter::HighResolution) {
        m_printer.setDocName(docName);
    }
    bool choose(QWidget* parent) override {
        QPrintDialog dialog(&m_printer, parent);
        dialog.setMinMax(1, 1);
        return dialog.exec() == QDialog::Accepted;
    }
    QPagedPaintDevice& device() override { return m_printer; }
    bool isValid() const override { return m_printer.isValid(); }
    bool failed() const override { return m_printer.printerState() == QPrinter::Error; }

private:
    QPrinter m_printer;
};

} // namespace

} // namespace ui

extern "C" Q_DECL_EXPORT ui::PrinterJob* quorvel_printer_job(const QString& docName) {
    return new ui::Printer(docName);
}

static_assert(std::is_same_v<decltype(&quorvel_printer_job), ui::PrinterJobFactory>,
              "the entry point the window resolves");
