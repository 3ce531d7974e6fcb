#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QVariant>

namespace engine {

struct BarcodeBar {
    double left;   // twips (1/1440 in), relative to the symbol's top-left corner
    double top;
    double width;
    double height;
};

// One POSTNET symbol at its true printed size: the renderer places it, never scales it.
struct BarcodeSymbol {
    QString digits;               // the data digits encoded, without the check digit
    QString humanReadable;        // "92901", "12345-6789" or "12345-6789-01"
    int checkDigit = 0;
    double width = 0;             // twips, from the left edge of the first bar to the right edge of the last
    double height = 0;            // twips, the tall bar height
    std::vector<BarcodeBar> bars; // left to right, bottom-aligned
};

// Turns ZIP codes into POSTNET bars. Encoding only: drawing is the renderer's job.
class PostnetEncoder {
public:
    // Digits to encode for a field value: a whole number is read as ZipCode::fromNumber reads it, a text as
    // ZipCode::fromRoutingDigits does (exactly 5, 9 or 11 ASCII digits); anything else (0, negatives, ten
    // digits, non-numeric text, null) gives nothing: no barcode is better than bars that encode other digits.
    static std::optional<QString> digitsForValue(const QVariant &value);

    // The symbol for 5, 9 or 11 digits; throws engine::EngineError naming the input otherwise.
    static BarcodeSymbol encode(const QString &digits);
};

} // namespace engine
