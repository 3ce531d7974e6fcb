#pragma once

#include "envelope_report/EnvelopeExport.h"
#include "reporting_engine/Report.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace platform {
class WindowsApi;
}

namespace envelope {

// The envelope report: one No. 10 envelope with the addressee block, its POSTNET
// barcode and the return address of the host program it runs in.
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

    const QString &returnAddressName() const;
    const QString &returnAddress() const;

protected:
    void reportStart() override { ActiveReport_ReportStart(); }
    void dataInitialize() override { ActiveReport_DataInitialize(); }
    void fetchData(bool &eof) override { ActiveReport_FetchData(eof); }

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
