#pragma once

#include <QString>

#include <vector>

namespace engine {

struct BarcodeBar {
    double left;   // twips (1/1440 in), relative to the symbol's top-left corner
    double top;
    double width;
    double height;
};

// A barcode at its true printed size: the renderer places it, never scales it.
struct BarcodeSymbol {
    QString digits;               // the data digits encoded, without the check digit
    QString humanReadable;        // "92901", "12345-6789" or "12345-6789-01"
    int checkDigit = 0;
    double width = 0;             // twips, from the left edge of the first bar to the right edge of the last
    double height = 0;            // twips, the tall bar height
    std::vector<BarcodeBar> bars; // left to right
};

} // namespace engine
