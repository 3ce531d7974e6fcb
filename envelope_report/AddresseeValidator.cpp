#include "envelope_report/AddresseeValidator.h"

#include "envelope_report/ZipFormatter.h"

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

bool allAsciiDigits(const QString &s)
{
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !s.isEmpty();
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

    // "12345-6789" is the usual way to write a ZIP+4: its digits are what count.
    QString digits = r.zip;
    if (digits.size() == 10 && digits.at(5) == QLatin1Char('-'))
        digits.remove(5, 1);
    const bool zipGood = allAsciiDigits(digits) && (digits.size() == 5 || digits.size() == 9);
    if (r.zip.isEmpty())
        v.problems << QStringLiteral("the ZIP code is missing");
    else if (!allAsciiDigits(digits))
        v.problems << QStringLiteral("the ZIP code \"%1\" is not a number").arg(r.zip);
    else if (!zipGood)
        v.problems << QStringLiteral("the ZIP code \"%1\" has %2 digits, not 5 or 9").arg(r.zip).arg(digits.size());

    // A bad ZIP prints as it was given: reformatting it would pass a guess off as an address.
    v.zipText = zipGood ? ZipFormatter::format(digits) : r.zip;

    const int lines = addressLines(r, v.zipText);
    if (lines > addressBoxLines)
        v.problems << QStringLiteral("the address takes %1 lines; the box holds %2").arg(lines).arg(addressBoxLines);

    if (v.good())
        v.barcodeValue = digits;
    return v;
}

} // namespace envelope
