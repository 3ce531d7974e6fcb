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

    bool operator==(const TextStyle &) const = default;

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
