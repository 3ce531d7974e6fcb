#pragma once

#include "reporting_engine/print/PrinterProfiles.h"
#include "reporting_engine/report/Report.h"
#include "reporting_engine/settings/LayeredSettings.h"

#include <QString>

namespace envelope {

// The envelope printer's own names, which the engine and the platform layer
// leave to their callers: what its PDFs say made them, what its database
// sessions call themselves, and the folder of its settings.
class EnvelopeProduct {
public:
    static QString creator() { return QStringLiteral("Korva envelope printer"); }
    // PostgreSQL's application_name, which an administrator sees in pg_stat_activity.
    static QString databaseClientName() { return QStringLiteral("envelope"); }
    // printers.conf and mail.conf live in /etc/korva-envelope/ and $XDG_CONFIG_HOME/korva-envelope/.
    static QString settingsFolder() { return QStringLiteral("korva-envelope"); }

    // The office's postal barcode settings (MailSettings): mail.conf beside printers.conf.
    static engine::LayeredSettings::Files mailSettingsFiles()
    {
        return engine::LayeredSettings::standardFiles(settingsFolder(), QStringLiteral("mail.conf"));
    }

    static engine::PrinterProfiles printerProfiles()
    {
        return engine::PrinterProfiles(engine::PrinterProfiles::standardFiles(settingsFolder()));
    }
    // Names the product in the report's output and shapes its print jobs by the
    // product's printer profiles.
    static void applyTo(engine::Report &report)
    {
        report.setCreator(creator());
        report.setPrinterProfiles(printerProfiles());
    }
};

} // namespace envelope
