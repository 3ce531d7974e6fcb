#pragma once

#include "platform/PrinterDialog.h"

namespace platform {

// A modal QPrintDialog over the CUPS queues. Needs a QApplication.
class QtPrinterDialog final : public PrinterDialog {
public:
    std::optional<QString> choosePrinter(const QString &documentTitle) override;
};

} // namespace platform
