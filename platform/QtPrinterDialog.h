#pragma once

#include "platform/PlatformExport.h"
#include "platform/PrinterDialog.h"

#include <memory>

namespace platform {

// A modal QPrintDialog over the CUPS queues. Needs a QApplication.
class PLATFORM_EXPORT QtPrinterDialog final : public PrinterDialog {
public:
    std::optional<QString> choosePrinter(const QString &documentTitle) override;

    // A dialog when this process shows a GUI on a screen, else none (print to the default).
    static std::shared_ptr<PrinterDialog> ifScreenAvailable();
};

} // namespace platform
