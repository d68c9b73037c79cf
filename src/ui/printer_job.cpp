#include "ui/printer_job.h"

#include "fileio/program_module.h"

namespace ui {

std::unique_ptr<PrinterJob> loadPrinterJob(const QString& docName, const QString& modulePath,
                                           QString* why) {
    static constexpr fileio::ProgramModule Module{QUORVEL_PRINTER_MODULE,
                                                  QUORVEL_PRINTER_MODULE_INSTALLED, PrinterJobEntry,
                                                  "the printing code"};
    const auto make =
        reinterpret_cast<PrinterJobFactory>(fileio::moduleEntry(Module, modulePath, why));
    return make ? std::unique_ptr<PrinterJob>(make(docName)) : nullptr;
}

} // namespace ui
