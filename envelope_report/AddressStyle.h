#pragma once

#include "envelope_report/AddresseeRecord.h"

#include <QString>

namespace envelope {

// How the addressee block is written: as the record gives it (the design's envelope), or
// as USPS Publication 28 asks (postal::Pub28Style). mail.conf's "address-style" in the host's
// section chooses it; the command line's --address-style, or a host's setting, wins.
class AddressStyle {
public:
    enum class Kind { AsGiven, Pub28 };

    // "as-given" or "pub28"; throws engine::EngineError naming the value otherwise.
    static Kind parse(const QString &value);
    // Why value is no address style, in words; empty when it is one.
    static QString problem(const QString &value);
    // The style chosen (by the command line or the host), else mail.conf's; as-given when neither says.
    static Kind resolve(const QString &chosen, const QString &configured);

    // The record in the style: Pub 28's upper case, abbreviations and state code.
    static AddresseeRecord applied(Kind kind, const AddresseeRecord &record);
};

} // namespace envelope
