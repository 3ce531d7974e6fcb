#include "envelope_report/AddresseeValidator.h"

#include "reporting_engine/ZipCode.h"

namespace envelope {
namespace {

// CR LF, a lone CR and a lone LF each start a new line on the page.
int linesIn(const QString &text)
{
    int lines = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            ++lines;
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            ++lines;
        }
    }
    return lines;
}

} // namespace

int AddresseeValidator::addressLines(const AddresseeRecord &r, const QString &zipText)
{
    // The same lines rptEnvelope writes: name, street, second street when there is one, city line.
    return linesIn(r.name) + linesIn(r.street1) + (r.street2.isEmpty() ? 0 : linesIn(r.street2)) +
           linesIn(r.city + QStringLiteral(", ") + r.state + QLatin1Char(' ') + zipText);
}

AddresseeValidator::Verdict AddresseeValidator::check(const AddresseeRecord &r)
{
    Verdict v;
    if (r.name.isEmpty())
        v.problems << QStringLiteral("the name is missing");

    const engine::ZipCode zip = engine::ZipCode::fromText(r.zip);
    switch (zip.fault()) {
    case engine::ZipCode::Fault::None:
        break;
    case engine::ZipCode::Fault::Missing:
        v.problems << QStringLiteral("the ZIP code is missing");
        break;
    case engine::ZipCode::Fault::NotANumber:
        v.problems << QStringLiteral("the ZIP code \"%1\" is not a number").arg(r.zip);
        break;
    case engine::ZipCode::Fault::WrongDigitCount:
        v.problems << QStringLiteral("the ZIP code \"%1\" has %2 digits, not 5 or 9").arg(r.zip).arg(r.zip.size());
        break;
    }

    // A bad ZIP prints as it was given: reformatting it would pass a guess off as an address.
    v.zipText = zip.printed();

    const int lines = addressLines(r, v.zipText);
    if (lines > addressBoxLines)
        v.problems << QStringLiteral("the address takes %1 lines; the box holds %2").arg(lines).arg(addressBoxLines);

    if (v.good())
        v.barcodeValue = zip.routingDigits();
    return v;
}

} // namespace envelope
