#pragma once

#include "envelope_report/EnvelopeExport.h"
#include "envelope_report/MailSettings.h"
#include "reporting_engine/report/Report.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace platform {
class WindowsApi;
}

namespace envelope {

// The envelope report: one No. 10 envelope with the addressee block, its postal
// barcode (POSTNET, or the Intelligent Mail barcode as mail.conf or mailSettings
// choose) and the return address of the host program it runs in.
//
// A host program creates it (the return address is chosen then), sets the
// addressee members, and calls PrintReport.
class ENVELOPE_EXPORT rptEnvelope : public engine::Report {
public:
    // Reads the registry and settings files of the Wine prefix in the environment
    // and shows messages the way this process can (a dialog or standard error),
    // captioned with the application's name. Needs a QGuiApplication (fonts).
    rptEnvelope();
    explicit rptEnvelope(std::shared_ptr<platform::WindowsApi> api);
    ~rptEnvelope() override;

    QString AddresseeName;
    QString AddresseeStreet1;
    QString AddresseeStreet2;
    QString AddresseeCity;
    QString AddresseeState;
    std::int32_t AddresseeZipCode = 0;
    QString SQL;

    // The postal barcode, for a host that chooses it itself: every field set here wins
    // over the host's section of mail.conf (see MailSettings); read at every PrintReport.
    // An Intelligent Mail barcode without a serial set takes the next one of its Mailer
    // ID's counter, given back when the envelope is not made.
    MailSettings mailSettings;

    // How the addressee block is written, "as-given" or "pub28" (USPS Publication 28: upper
    // case, standard abbreviations, the state's code); empty, the default, takes the host's
    // section of mail.conf ("address-style"), else as-given. Read at every PrintReport.
    void setAddressStyle(const QString &style);

    const QString &returnAddressName() const;
    const QString &returnAddress() const;

protected:
    void reportStart() override { ActiveReport_ReportStart(); }
    void dataInitialize() override { ActiveReport_DataInitialize(); }
    void fetchData(bool &eof) override { ActiveReport_FetchData(eof); }
    void reportEnd(bool completed) override;

private:
    void ActiveReport_Initialize();
    void ActiveReport_ReportStart();
    void ActiveReport_DataInitialize();
    void ActiveReport_FetchData(bool &eof);
    void ActiveReport_Terminate();

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace envelope
