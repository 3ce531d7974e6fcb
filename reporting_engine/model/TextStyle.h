#pragma once

#include <QString>
#include <Qt>

#include <optional>

namespace engine {

// A text style; what it leaves unset comes from the report's base style "Normal".
struct TextStyle {
    std::optional<QString> family;
    std::optional<double> pointSize;
    std::optional<bool> bold;
    std::optional<bool> italic;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;

    // Spelled out: host programs may build against this header as C++17.
    bool operator==(const TextStyle &other) const
    {
        return family == other.family && pointSize == other.pointSize && bold == other.bold && italic == other.italic &&
               alignment == other.alignment;
    }
    bool operator!=(const TextStyle &other) const { return !(*this == other); }

    TextStyle resolvedAgainst(const TextStyle &base) const
    {
        TextStyle out = *this;
        if (!out.family)
            out.family = base.family;
        if (!out.pointSize)
            out.pointSize = base.pointSize;
        if (!out.bold)
            out.bold = base.bold;
        if (!out.italic)
            out.italic = base.italic;
        return out;
    }
};

} // namespace engine
