#pragma once

#include <QString>

#include <cstdint>

namespace envelope {

// The ZIP code as printed, for the addressee block and the return address alike.
// A five-digit ZIP prints as five digits and a ZIP+4 as "12345-6789"; the pattern
// "00000-0000" alone would print 92901 as "00009-2901" and send the mail astray.
class ZipFormatter {
public:
    // 1..99999: five digits, zero-padded; 100000..999999999: nine digits with a hyphen
    // after the fifth; 0: "00000-0000"; anything else: the number as it is.
    static QString format(std::int64_t zip);

    // A ZIP read as text: up to nine ASCII digits are taken as the number and formatted
    // as above; anything else (a hyphen already in it, blanks, letters) prints as read.
    static QString format(const QString &zipText);
};

} // namespace envelope
