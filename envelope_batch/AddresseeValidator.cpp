#include "envelope_batch/AddresseeValidator.h"

#include "envelope_report/AddressBlock.h"
#include "envelope_report/AddresseeBox.h"
#include "envelope_report/UnprintableCharacters.h"
#include "postal/addresses/LatinDeliveryLines.h"
#include "postal/addresses/Pub28Style.h"
#include "postal/addresses/ReaderRules.h"
#include "postal/codes/TrackingCode.h"
#include "postal/codes/ZipCode.h"
#include "postal/addresses/ZipStateTable.h"
#include "reporting_engine/render/PageRenderer.h"

namespace envelope {
namespace {

void refuse(AddresseeValidator::Verdict &v, const QString &rule, const QStringList &why)
{
    if (why.isEmpty())
        return;
    v.problems << why;
    if (!v.rules.contains(rule))
        v.rules << rule;
}

void warn(AddresseeValidator::Verdict &v, const QString &rule, const QStringList &why)
{
    if (why.isEmpty())
        return;
    v.warnings << why;
    if (!v.rules.contains(rule))
        v.rules << rule;
}

QString zipProblem(const postal::ZipCode &zip, const QString &given)
{
    switch (zip.fault()) {
    case postal::ZipCode::Fault::None:
        return QString();
    case postal::ZipCode::Fault::Missing:
        return QStringLiteral("the ZIP code is missing");
    case postal::ZipCode::Fault::NotANumber:
        return QStringLiteral("the ZIP code \"%1\" is not a number").arg(given);
    case postal::ZipCode::Fault::WrongDigitCount:
        break;
    }
    return QStringLiteral("the ZIP code \"%1\" has %2 digits, not 5 or 9").arg(given).arg(given.size());
}

// The readers' rules on the block as it prints (postal::ReaderRules, AddresseeBox).
void checkReaders(AddresseeValidator::Verdict &v, const QStringList &lines, const AddresseeRecord &r, const postal::ZipCode &zip,
                  const AddresseeValidator::Options &options)
{
    refuse(v, QStringLiteral("8 pt"), AddresseeBox::fitProblems(lines));
    if (const QString why = postal::ReaderRules::lastLineProblem(r.city, r.state); !why.isEmpty())
        refuse(v, QStringLiteral("last line"), {why});
    warn(v, QStringLiteral("line length"), postal::ReaderRules::lineProblems(lines));
    if (options.intelligentMail) {
        if (const QString why = AddresseeBox::intelligentMailDistanceProblem(lines.size()); !why.isEmpty())
            refuse(v, QStringLiteral("barcode distance"), {why});
    }
    if (zip.isValid() && !r.state.isEmpty()) {
        const postal::Pub28Style &pub28 = postal::Pub28Style::standard();
        const QString state = pub28.isStateCode(r.state) ? r.state : pub28.state(r.state);
        const QString why = pub28.isStateCode(state)
                                ? postal::ZipStateTable::standard().mismatch(state, zip.digits())
                                : QStringLiteral("the state \"%1\" is no USPS state code or name").arg(r.state);
        if (!why.isEmpty())
            warn(v, QStringLiteral("ZIP and state"), {why});
    }
}

} // namespace

AddresseeValidator::Verdict AddresseeValidator::check(const AddresseeRecord &r, const Options &options)
{
    Verdict v;
    if (r.name.isEmpty())
        refuse(v, QStringLiteral("name"), {QStringLiteral("the name is missing")});
    const QStringList unprintable = UnprintableCharacters::inAddressee(r);
    refuse(v, QStringLiteral("characters"), unprintable);

    const postal::ZipCode zip = postal::ZipCode::fromText(r.zip);
    if (const QString why = zipProblem(zip, r.zip); !why.isEmpty())
        refuse(v, QStringLiteral("ZIP"), {why});

    if (!r.imb.isEmpty()) {
        if (const QString reason = postal::TrackingCode::problem(r.imb); !reason.isEmpty())
            refuse(v, QStringLiteral("tracking code"),
                   {QStringLiteral("the Intelligent Mail tracking code \"%1\" is not one: %2").arg(r.imb, reason)});
    }

    // A bad ZIP prints as it was given: reformatting it would pass a guess off as an address.
    v.zipText = zip.printed();

    // Printed all the same, a record shows U+FFFD for what no font has.
    v.addressBlock = AddressBlock::compose(unprintable.isEmpty() ? r : UnprintableCharacters::replaced(r), v.zipText, options.style);
    const QStringList lines = engine::PageRenderer::splitLines(v.addressBlock);
    if (lines.size() > addressBoxLines)
        refuse(v, QStringLiteral("lines"),
               {QStringLiteral("the address takes %1 lines; the box holds %2").arg(lines.size()).arg(addressBoxLines)});
    checkReaders(v, lines, r, zip, options);
    if (const QString why = postal::LatinDeliveryLines::warning({r.street1, r.street2, r.city, r.state}); !why.isEmpty())
        warn(v, QStringLiteral("Latin letters"), {why});

    const postal::Pub28Style &pub28 = postal::Pub28Style::standard();
    v.addressee = QStringList{pub28.plain(r.name), pub28.deliveryLine(r.street1), pub28.deliveryLine(r.street2), zip.digits().left(5)}
                      .join(QLatin1Char('\n'));

    if (v.good())
        v.barcodeValue = zip.routingDigits();
    return v;
}

} // namespace envelope
