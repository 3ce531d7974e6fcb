#pragma once

#include "postal/PostalExport.h"
#include "reporting_engine/model/BarSymbology.h"

namespace postal {

// POSTNET for the engine's barcode control: a field's ZIP as PostnetEncoder reads it.
class POSTAL_EXPORT PostnetSymbology final : public engine::BarSymbology {
public:
    PostnetSymbology() = default;

    QString name() const override { return QStringLiteral("POSTNET barcode"); }
    std::optional<engine::BarcodeSymbol> encode(const QVariant &value) const override;
    // A ZIP's bars are the same on every envelope that goes there.
    bool repeats() const override { return true; }
    bool mustFitBox() const override { return false; }
};

} // namespace postal
