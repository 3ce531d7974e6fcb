#pragma once

#include "reporting_engine/base/EngineError.h"

#include <QString>

#include <zint.h>

#include <memory>

namespace postal {

// A zint symbol of one symbology, deleted with it. `what` names the data in the error
// thrown when zint cannot allocate one.
class ZintSymbol {
public:
    struct Deleter {
        void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
    };
    using Pointer = std::unique_ptr<zint_symbol, Deleter>;

    static Pointer create(int symbology, const QString &what)
    {
        Pointer symbol(ZBarcode_Create());
        if (!symbol)
            throw engine::EngineError(QStringLiteral("zint could not allocate a symbol for \"%1\"").arg(what));
        symbol->symbology = symbology;
        return symbol;
    }
};

} // namespace postal
