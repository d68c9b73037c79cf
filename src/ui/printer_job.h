#pragma once

#include <QString>

#include <memory>

class QPagedPaintDevice;
class QWidget;

namespace ui {

// A printer and its dialog: the window's one use of QtPrintSupport, which
// costs every start half a millisecond to load, so it lives in a module
// loaded on the first print.
class PrinterJob {
public:
    virtual ~PrinterJob() = default;
    // The platform's print dialog, one page; false when it was cancelled.
    virtual bool choose(QWidget* parent) = 0;
    // The pages are painted there.
    virtual QPagedPaintDevice& device() = 0;
    // Whether the printer can take pages, before them; whether it failed,
    // after.
    virtual bool isValid() const = 0;
    virtual bool failed() const = 0;
};

// A high-resolution printer job under that document name, from the module
// next to the program, then where it is installed, unless a path is given.
// Null, and why, when the module cannot be loaded.
std::unique_ptr<PrinterJob> loadPrinterJob(const QString& docName, const QString& modulePath,
                                           QString* why);

// The module's one entry point.
inline constexpr char PrinterJobEntry[] = "quorvel_printer_job";
using PrinterJobFactory = PrinterJob* (*)(const QString& docName);

} // namespace ui
