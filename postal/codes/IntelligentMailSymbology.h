#pragma once

#include "postal/PostalExport.h"
#include "reporting_engine/model/BarSymbology.h"

namespace postal {

// The Intelligent Mail barcode for the engine's barcode control: a field's text is the
// tracking code, a hyphen and the routing code (IntelligentMailEncoder); none prints no bars.
class POSTAL_EXPORT IntelligentMailSymbology final : public engine::BarSymbology {
public:
    IntelligentMailSymbology() = default;

    QString name() const override { return QStringLiteral("Intelligent Mail barcode"); }
    std::optional<engine::BarcodeSymbol> encode(const QVariant &value) const override;
    // Every mail piece has a serial of its own.
    bool repeats() const override { return false; }
    // The sorting machines cannot read a clipped symbol.
    bool mustFitBox() const override { return true; }
};

} // namespace postal
