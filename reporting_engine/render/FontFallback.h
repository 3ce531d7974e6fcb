#pragma once

#include "reporting_engine/EngineExport.h"

#include <QList>
#include <QString>

namespace engine {

// The installed fonts that stand in for a font lacking a character. Only fonts
// every output can embed count: TrueType outlines, not colour bitmaps, so what a
// picture shows the PDF shows too.
class ENGINE_EXPORT FontFallback {
public:
    // The family of an installed font that has ch, the closest to `family` that
    // fontconfig finds; empty when no installed font has it.
    static QString familyFor(char32_t ch, const QString &family);

    // The characters of text (each once, in order) that no installed font can print.
    // Controls, format characters and spaces print nothing anyway and are not counted.
    static QList<char32_t> unprintable(const QString &text);

    // True for a character that prints nothing, whatever the font.
    static bool invisible(char32_t ch);

    // "U+1F642, U+0378": characters as they are named in messages.
    static QString codePoints(const QList<char32_t> &chars);
};

} // namespace engine
