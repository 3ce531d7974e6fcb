#include "envelope_report/rptEnvelope.h"

#include "envelope_report/AddressBlock.h"
#include "envelope_report/AddresseeBox.h"
#include "envelope_report/EnvelopePage.h"
#include "envelope_report/MailBarcode.h"
#include "envelope_report/UnprintableCharacters.h"
#include "folders_settings/modGetParentEXEPath.h"
#include "platform/MessagePresenterFactory.h"
#include "platform/WindowsApi.h"
#include "postal/codes/ZipCode.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/records/RecordSource.h"

#include <QCoreApplication>

#include <exception>

namespace envelope {

class rptEnvelope::Private {
public:
    Private(engine::Report &report, std::shared_ptr<platform::WindowsApi> windowsApi) : api(std::move(windowsApi)), page(report) {}

    std::shared_ptr<platform::WindowsApi> api;
    EnvelopePage page;
    std::unique_ptr<engine::RecordSource> recordSource;
    std::unique_ptr<MailBarcode> mail; // the run's barcode, from mail.conf and the host's settings
    QString addressStyleChoice;        // the host's; empty: mail.conf's
    AddressStyle::Kind addressStyle = AddressStyle::Kind::AsGiven; // the run's
};

// The host's message boxes carry its title, as on Windows: Qt's application name,
// which is the executable's name unless the host set another.
rptEnvelope::rptEnvelope()
    : rptEnvelope(platform::WindowsApi::fromEnvironment(
          platform::MessagePresenterFactory::forThisProcess(QCoreApplication::applicationName())))
{
}

rptEnvelope::rptEnvelope(std::shared_ptr<platform::WindowsApi> api)
    : engine::Report(EnvelopePage::reportTitle()), d(std::make_unique<Private>(*this, std::move(api)))
{
    ActiveReport_Initialize();
}

rptEnvelope::~rptEnvelope()
{
    // Closing a query cannot fail; should it all the same, say so rather than end
    // the program from a destructor.
    try {
        ActiveReport_Terminate();
    } catch (const std::exception &e) {
        d->api->MessageBox(QStringLiteral("Closing the record source failed: ") + QString::fromUtf8(e.what()));
    }
}

void rptEnvelope::setAddressStyle(const QString &style)
{
    AddressStyle::parse(style.isEmpty() ? QStringLiteral("as-given") : style); // refuses a wrong one now
    d->addressStyleChoice = style;
}

const QString &rptEnvelope::returnAddressName() const { return d->page.returnAddress().name; }
const QString &rptEnvelope::returnAddress() const { return d->page.returnAddress().lines; }

void rptEnvelope::ActiveReport_Initialize() { d->page.setReturnAddress(ReturnAddress::ofHost(*d->api)); }

void rptEnvelope::ActiveReport_ReportStart()
{
    d->mail.reset(); // gives back an earlier run's serial that was not used
    const QString host = folders::modGetParentEXEPath(*d->api).GetParentEXEName();
    MailSettings::FileOnly fileOnly;
    d->mail = std::make_unique<MailBarcode>(MailBarcode::settingsFor(host, mailSettings, fileOnly), fileOnly.serialSource);
    d->addressStyle = AddressStyle::resolve(d->addressStyleChoice, fileOnly.addressStyle);
    d->page.setUpPaper(d->mail->isIntelligentMail());
}

void rptEnvelope::reportEnd(bool completed)
{
    // A single envelope is made whole or not at all: when it was not, its serial is unused.
    if (d->mail)
        d->mail->releaseUnused(!completed);
}

void rptEnvelope::ActiveReport_DataInitialize()
{
    if (!SQL.isEmpty()) {
        d->api->MessageBox(QStringLiteral("Should not see this; no SQL."));
        // A record source from an earlier run is closed before it is replaced, so
        // its query and the connection's resources are not left open.
        if (d->recordSource)
            d->recordSource->close();
        d->recordSource = std::make_unique<engine::RecordSource>();
        d->recordSource->open(SQL);
        if (d->recordSource->endOfData())
            d->api->MessageBox(QStringLiteral("No record found."), QStringLiteral("Print an Envelope"));
    }
    d->page.addFields();
    if (d->mail->isIntelligentMail()) {
        if (const QString warning = d->mail->reserve(1); !warning.isEmpty())
            d->api->MessageBox(warning);
    }
}

void rptEnvelope::ActiveReport_FetchData(bool &eof)
{
    if (eof)
        return;
    AddresseeRecord addressee;
    addressee.name = AddresseeName;
    addressee.street1 = AddresseeStreet1;
    addressee.street2 = AddresseeStreet2;
    addressee.city = AddresseeCity;
    addressee.state = AddresseeState;
    // A character no font has would leave the envelope short of it: print nothing instead.
    QStringList unprintable = UnprintableCharacters::inAddressee(addressee);
    if (const QString from = UnprintableCharacters::inReturnAddress(d->page.returnAddress()); !from.isEmpty())
        unprintable << from;
    if (!unprintable.isEmpty())
        throw engine::EngineError(QStringLiteral("The envelope cannot be printed: %1.").arg(unprintable.join(QStringLiteral("; "))));
    const postal::ZipCode zip = postal::ZipCode::fromNumber(AddresseeZipCode);
    const QVariant barcodeValue =
        d->mail->isIntelligentMail() ? d->mail->valueFor(zip.routingDigits()) : QVariant::fromValue<qint32>(AddresseeZipCode);
    const QString block = AddressBlock::compose(addressee, zip.printed(), d->addressStyle);
    d->page.fill(block, barcodeValue);
    // The page prints it all the same, at the readers' smallest size and cut at the box's edge.
    if (const QStringList tooWide = AddresseeBox::fitProblems(block); !tooWide.isEmpty())
        d->api->MessageBox(QStringLiteral("The address does not fit its box at the smallest size the postal service's "
                                          "readers take and is cut at the box's edge: %1.")
                               .arg(tooWide.join(QStringLiteral("; "))));
    d->api->MessageBox(QStringLiteral("Addressee:  ") + d->page.addressBlock());
    eof = true;
    d->api->MessageBox(QStringLiteral("NewEOF:  ") + (eof ? QStringLiteral("True") : QStringLiteral("False")));
}

void rptEnvelope::ActiveReport_Terminate()
{
    // With nothing held (never run, or SQL set only after the run) there is nothing to close.
    if (!SQL.isEmpty() && d->recordSource) {
        d->recordSource->close();
        d->recordSource.reset();
    }
}

} // namespace envelope
