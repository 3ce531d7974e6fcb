#include "envelope_batch/AddresseeValidator.h"

#include "envelope_report/AddressBlock.h"
#include "envelope_report/UnprintableCharacters.h"
#include "postal/LatinDeliveryLines.h"
#include "postal/TrackingCode.h"
#include "postal/ZipCode.h"

namespace envelope {

AddresseeValidator::Verdict AddresseeValidator::check(const AddresseeRecord &r)
{
    Verdict v;
    if (r.name.isEmpty())
        v.problems << QStringLiteral("the name is missing");
    const QStringList unprintable = UnprintableCharacters::inAddressee(r);
    v.problems << unprintable;

    const postal::ZipCode zip = postal::ZipCode::fromText(r.zip);
    switch (zip.fault()) {
    case postal::ZipCode::Fault::None:
        break;
    case postal::ZipCode::Fault::Missing:
        v.problems << QStringLiteral("the ZIP code is missing");
        break;
    case postal::ZipCode::Fault::NotANumber:
        v.problems << QStringLiteral("the ZIP code \"%1\" is not a number").arg(r.zip);
        break;
    case postal::ZipCode::Fault::WrongDigitCount:
        v.problems << QStringLiteral("the ZIP code \"%1\" has %2 digits, not 5 or 9").arg(r.zip).arg(r.zip.size());
        break;
    }

    if (!r.imb.isEmpty()) {
        if (const QString reason = postal::TrackingCode::problem(r.imb); !reason.isEmpty())
            v.problems << QStringLiteral("the Intelligent Mail tracking code \"%1\" is not one: %2").arg(r.imb, reason);
    }

    // A bad ZIP prints as it was given: reformatting it would pass a guess off as an address.
    v.zipText = zip.printed();

    // Printed all the same, a record shows U+FFFD for what no font has.
    v.addressBlock = AddressBlock::compose(unprintable.isEmpty() ? r : UnprintableCharacters::replaced(r), v.zipText);
    const int lines = AddressBlock::lineCount(v.addressBlock);
    if (lines > addressBoxLines)
        v.problems << QStringLiteral("the address takes %1 lines; the box holds %2").arg(lines).arg(addressBoxLines);

    if (const QString w = postal::LatinDeliveryLines::warning({r.street1, r.street2, r.city, r.state}); !w.isEmpty())
        v.warnings << w;

    if (v.good())
        v.barcodeValue = zip.routingDigits();
    return v;
}

} // namespace envelope
