#pragma once

#include "reporting_engine/base/BarcodeSymbol.h"

#include <optional>

#include <QString>
#include <QVariant>

namespace postal {

// Turns ZIP codes into POSTNET bars. Encoding only: drawing is the renderer's job.
class PostnetEncoder {
public:
    // Digits to encode for a field value: a whole number is read as ZipCode::fromNumber reads it, a text as
    // ZipCode::fromRoutingDigits does (exactly 5, 9 or 11 ASCII digits); anything else (0, negatives, ten
    // digits, non-numeric text, null) gives nothing: no barcode is better than bars that encode other digits.
    static std::optional<QString> digitsForValue(const QVariant &value);

    // The symbol for 5, 9 or 11 digits; throws engine::EngineError naming the input otherwise.
    static engine::BarcodeSymbol encode(const QString &digits);
};

} // namespace postal
