#pragma once

#include "postal/PostalExport.h"
#include "reporting_engine/base/BarcodeSymbol.h"
#include "reporting_engine/base/Twips.h"

#include <array>

#include <QString>

namespace postal {

// Turns an Intelligent Mail barcode's data into its 65 four-state bars. Encoding and the
// printed size only: drawing is the renderer's job.
class POSTAL_EXPORT IntelligentMailEncoder {
public:
    enum class BarState : char { Full = 'F', Ascender = 'A', Descender = 'D', Tracker = 'T' };
    static constexpr int barCount = 65;
    using BarStates = std::array<BarState, barCount>;

    // The printed size, in twips, inside the postal tolerances (20-24 bars per inch, bars
    // 0.015-0.025 in wide, full bars 0.125-0.165 in, trackers 0.039-0.057 in tall).
    // An ascender or descender is the tracker plus one extender.
    static constexpr double barPitch = engine::twips::perInch / 22.0;
    static constexpr double barWidth = engine::twips::fromInches(0.020);
    static constexpr double fullBarHeight = engine::twips::fromInches(0.145);
    static constexpr double trackerHeight = engine::twips::fromInches(0.048);
    static constexpr double extenderHeight = (fullBarHeight - trackerHeight) / 2;
    static constexpr double symbolWidth = (barCount - 1) * barPitch + barWidth;

    // The bars, left to right, for data of the 20-digit tracking code (its second digit 0-4),
    // optionally followed by "-" and the routing code of 5, 9 or 11 digits:
    // "01234567094987654321-01234567891". Throws engine::EngineError naming the data otherwise.
    static BarStates barStates(const QString &data);

    // Why data is not such a tracking code (and routing code), in words for the user; empty when it is one.
    static QString problem(const QString &data);

    // The same bars at their printed size, top-aligned, the data as given as its human-readable
    // text. Throws as barStates does.
    static engine::BarcodeSymbol encode(const QString &data);

    // "AADTF...": one letter per bar, as the postal documents write the pattern.
    static QString letters(const BarStates &states);
};

} // namespace postal
