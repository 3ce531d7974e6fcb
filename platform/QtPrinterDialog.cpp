#include "platform/QtPrinterDialog.h"

#include "platform/MessagePresenterFactory.h"

#include <QPrintDialog>
#include <QPrinter>

namespace platform {

std::optional<QString> QtPrinterDialog::choosePrinter(const QString &documentTitle)
{
    QPrinter printer;
    printer.setDocName(documentTitle);
    QPrintDialog dialog(&printer);
    dialog.setWindowTitle(documentTitle);
    // We print through CUPS ourselves; the dialog only chooses the queue.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printer.printerName();
}

std::shared_ptr<PrinterDialog> QtPrinterDialog::ifScreenAvailable()
{
    if (!MessagePresenterFactory::hasScreen())
        return nullptr;
    return std::make_shared<QtPrinterDialog>();
}

} // namespace platform
