#include "postal/codes/PostnetSymbology.h"

#include "postal/codes/PostnetEncoder.h"

namespace postal {

std::optional<engine::BarcodeSymbol> PostnetSymbology::encode(const QVariant &value) const
{
    const std::optional<QString> digits = PostnetEncoder::digitsForValue(value);
    if (!digits)
        return std::nullopt;
    return PostnetEncoder::encode(*digits);
}

} // namespace postal
