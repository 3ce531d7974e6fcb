#pragma once

#include "envelope_report/EnvelopeExport.h"

#include <QString>


namespace envelope {

// How an envelope's postal barcode is made: POSTNET (the default) or the Intelligent Mail
// barcode with the office's tracking code parts. An office sets them in mail.conf, one
// section per host program ([KORVAJURY], ...) and [default]; a host program or the command
// line may set any of them too, which then wins over the file. An empty field is not set.
struct ENVELOPE_EXPORT MailSettings {
    QString barcode;     // "postnet" or "imb"
    QString mailerId;    // 6 digits not starting with 9, or 9 digits starting with 9
    QString serviceType; // 3 digits
    QString barcodeId;   // 2 digits, the second 0 to 4; "00" when not set
    QString serialFile;  // the Mailer ID's serial counter file; its default when not set
    // One envelope: its serial. A batch: the first serial of its run, one more per envelope.
    // Either way no counter is used. Never read from mail.conf.
    QString serial;

    bool isIntelligentMail() const { return barcode == QLatin1String("imb"); }

    // These settings with every field set in overrides replaced by it.
    MailSettings overriddenBy(const MailSettings &overrides) const;

    // Why value is not one for the setting named key (barcode, mailer-id, service-type,
    // barcode-id, serial-file, serial-source, serial), in words for the user; empty when it is one. The
    // serial's length is checked against mailerId when that is given.
    static QString problem(const QString &key, const QString &value, const QString &mailerId = QString());

    // The section of the files for the host program (its executable's name, as the return
    // address is chosen), else [default]; the user's entry for a section wins whole. Nothing
    // set when neither file has either. A damaged file throws engine::EngineError naming it and the line.
    static MailSettings read(const QString &systemFile, const QString &userFile, const QString &hostName);
    // What only mail.conf sets, read from the same section: serial-source,
    // postgresql://user@host:port/database, whose sequence then gives the serials (shared by
    // the office's machines) instead of the serial file; and address-style, as-given or
    // pub28. Fields of their own would change this struct's size, which programs built
    // against version 1.0 rely on. Empty when not set.
    struct FileOnly {
        QString serialSource;
        QString addressStyle;
    };
    // read() and what only the file sets, in one reading of the files.
    static MailSettings read(const QString &systemFile, const QString &userFile, const QString &hostName, FileOnly &fileOnly);
    // The section's address-style alone.
    static QString readAddressStyle(const QString &systemFile, const QString &userFile, const QString &hostName);

    // Throws engine::EngineError when the Intelligent Mail barcode is chosen without what it
    // needs or with a serial its Mailer ID cannot have.
    void checkComplete() const;
};

} // namespace envelope
