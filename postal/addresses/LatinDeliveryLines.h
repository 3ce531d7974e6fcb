#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>

namespace postal {

// The USPS sorting machines read Latin letters only: a delivery line (the street
// lines and the city and state) in another script goes to hand sorting, or astray.
// A warning, not a refusal: the carrier can still read it.
class LatinDeliveryLines {
public:
    // Why the machines cannot read these lines, naming the first that has letters
    // other than Latin ones; empty when every letter is Latin.
    static QString warning(std::initializer_list<QStringView> deliveryLines);
};

} // namespace postal
