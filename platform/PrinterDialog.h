#pragma once

#include "platform/PlatformExport.h"

#include <QString>

#include <optional>

namespace platform {

// The printer dialog that a print with a dialog shows. Swappable so that runs
// without a screen, and tests, never block on it.
class PLATFORM_EXPORT PrinterDialog {
public:
    virtual ~PrinterDialog() = default;

    // The queue the user chose, an empty string for the default destination, or
    // nothing when the user cancelled.
    virtual std::optional<QString> choosePrinter(const QString &documentTitle) = 0;

protected:
    PrinterDialog() = default;
    PrinterDialog(const PrinterDialog &) = default;
    PrinterDialog &operator=(const PrinterDialog &) = default;
};

} // namespace platform
