#include "postal/codes/IntelligentMailSymbology.h"

#include "postal/codes/IntelligentMailEncoder.h"

namespace postal {

std::optional<engine::BarcodeSymbol> IntelligentMailSymbology::encode(const QVariant &value) const
{
    const QString data = value.isNull() ? QString() : value.toString();
    if (data.isEmpty())
        return std::nullopt;
    return IntelligentMailEncoder::encode(data);
}

} // namespace postal
