#include "postal/codes/ZipCode.h"

#include <algorithm>

namespace postal {
namespace {

constexpr qint64 largestZip = 99999;
constexpr qint64 largestZipPlus4 = 999999999;
constexpr qsizetype zipPlus4Digits = 9;

// Only ASCII digits: other scripts' digits are no ZIP code a carrier reads.
bool allAsciiDigits(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

} // namespace

ZipCode ZipCode::fromText(const QString &text)
{
    // "12345-6789" is the usual way to write a ZIP+4: its digits are what count.
    QString digits = text;
    if (digits.size() == 10 && digits.at(5) == QLatin1Char('-'))
        digits.remove(5, 1);

    ZipCode zip;
    zip.m_asRead = text;
    if (text.isEmpty())
        zip.m_fault = Fault::Missing;
    else if (!allAsciiDigits(digits))
        zip.m_fault = Fault::NotANumber;
    else if (digits.size() != 5 && digits.size() != zipPlus4Digits)
        zip.m_fault = Fault::WrongDigitCount;
    else {
        zip.m_fault = Fault::None;
        zip.m_digits = digits;
    }
    return zip;
}

ZipCode ZipCode::fromNumber(qint64 number)
{
    ZipCode zip;
    if (number == 0) {
        zip.m_asRead = QStringLiteral("00000-0000");
        return zip; // missing
    }
    if (number < 0 || number > largestZipPlus4) {
        zip.m_asRead = QString::number(number);
        zip.m_fault = number < 0 ? Fault::NotANumber : Fault::WrongDigitCount;
        return zip;
    }
    const int width = number <= largestZip ? 5 : int(zipPlus4Digits);
    zip.m_digits = QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
    zip.m_fault = Fault::None;
    return zip;
}

ZipCode ZipCode::fromNumberText(const QString &text)
{
    if (text.size() <= zipPlus4Digits && allAsciiDigits(text))
        return fromNumber(text.toLongLong());
    ZipCode zip;
    zip.m_asRead = text;
    if (!text.isEmpty())
        zip.m_fault = allAsciiDigits(text) ? Fault::WrongDigitCount : Fault::NotANumber;
    return zip;
}

ZipCode ZipCode::fromRoutingDigits(const QString &digits)
{
    ZipCode zip;
    zip.m_asRead = digits;
    const qsizetype n = digits.size();
    if (digits.isEmpty())
        zip.m_fault = Fault::Missing;
    else if (!allAsciiDigits(digits))
        zip.m_fault = Fault::NotANumber;
    else if (n != 5 && n != zipPlus4Digits && n != zipPlus4Digits + 2)
        zip.m_fault = Fault::WrongDigitCount;
    else {
        zip.m_fault = Fault::None;
        zip.m_digits = digits.left(zipPlus4Digits);
        zip.m_deliveryPoint = digits.mid(zipPlus4Digits);
    }
    return zip;
}

QString ZipCode::printed() const
{
    if (!isValid())
        return m_asRead;
    if (m_digits.size() == 5)
        return m_digits;
    QString text = m_digits.left(5) + QLatin1Char('-') + m_digits.mid(5);
    if (!m_deliveryPoint.isEmpty())
        text += QLatin1Char('-') + m_deliveryPoint;
    return text;
}

} // namespace postal
