#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/base/BarcodeSymbol.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

namespace engine {

// A symbology a barcode control prints: it turns a field's value into bars at their
// true size, and never draws. The engine has none of its own; its callers register
// theirs under the style codes their designs set (Barcode::setStyle).
class ENGINE_EXPORT BarSymbology {
public:
    virtual ~BarSymbology();
    BarSymbology(const BarSymbology &) = delete;
    BarSymbology &operator=(const BarSymbology &) = delete;

    // The symbology's name for messages ("Intelligent Mail barcode").
    virtual QString name() const = 0;
    // The symbol of a field's value; none prints no bars (a value that is not one,
    // rather than bars that encode something else). Throws EngineError for a value
    // it refuses, saying why.
    virtual std::optional<BarcodeSymbol> encode(const QVariant &value) const = 0;
    // True when equal values always give the same symbol, so a renderer may keep it.
    virtual bool repeats() const = 0;
    // True when a symbol its box would clip is refused rather than printed clipped.
    virtual bool mustFitBox() const = 0;

    // The symbology a style code selects (replacing any before it), and the one it selects now.
    static void registerStyle(int styleCode, std::shared_ptr<const BarSymbology> symbology);
    static std::shared_ptr<const BarSymbology> forStyle(int styleCode);

protected:
    BarSymbology() = default;
};

} // namespace engine
