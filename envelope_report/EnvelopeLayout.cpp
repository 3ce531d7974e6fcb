#include "envelope_report/EnvelopeLayout.h"

#include <array>

namespace envelope {

std::span<const EnvelopeLayout::Box> EnvelopeLayout::boxes()
{
    using Kind = Box::Kind;
    static const QString times = QStringLiteral("Times New Roman");
    static const std::array<Box, 4> layout{{
        {QStringLiteral("fldAddress"), QRectF(6300, 2970, 3510, 1080), engine::TextStyle{times, {}, {}, {}}, Kind::Text, {}},
        {QStringLiteral("barPostNet"), QRectF(6300, 4050, 3510, 360), engine::TextStyle{QStringLiteral("Arial"), 8.0, false, false},
         Kind::Barcode, QStringLiteral("FooterBarCode")},
        // The name line's one extra style setting: bold, so the sender stands out.
        {QStringLiteral("fldReturnAddressName"), QRectF(360, 360, 4320, 360), engine::TextStyle{times, 14.5, true, {}}, Kind::Text, {}},
        {QStringLiteral("fldReturnAddress"), QRectF(360, 720, 3510, 810), engine::TextStyle{times, {}, {}, {}}, Kind::Text, {}},
    }};
    return layout;
}

} // namespace envelope
