#pragma once

#include "reporting_engine/EngineExport.h"

#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

namespace engine {

// A font at one size, measured and drawn in twips with its design metrics (no
// hinting), so that measuring and every output agree to the twip. Glyphs and
// advances are cached per character: the same few characters repeat on every page.
//
// Text the font has every character of, none needing shaping, is its glyphs one
// by one. Any other text is laid out by Qt's text layout (shaping, right to left
// in visual order) over this font and, for the characters it lacks, installed
// fonts that have them (FontFallback).
class ENGINE_EXPORT FontFace {
public:
    // Text laid out over several fonts: runs of one font each, in visual order.
    struct Shaped {
        struct Run {
            QRawFont font;              // sized in twips
            QVector<quint32> indexes;
            QVector<QPointF> positions; // twips from the line's start on its baseline
            QStringList texts;          // the characters each glyph shows (empty for none)
        };
        std::vector<Run> runs;
        double width = 0;            // twips
        bool rightToLeft = false;    // has characters that read right to left
        QList<char32_t> unprintable; // characters no installed font has; they print nothing
    };

    struct Glyphs {
        QVector<quint32> indexes;
        QVector<double> advances; // twips
        double width = 0;         // twips
        // Set when the text is laid out over several fonts (then indexes and advances are empty).
        std::shared_ptr<const Shaped> shaped;
    };

    // Names without a font on this machine get their metric twin (Times New Roman:
    // Liberation Serif, Arial: Liberation Sans).
    FontFace(const QString &family, double pointSize, bool bold, bool italic);
    ~FontFace();
    FontFace(const FontFace &) = delete;
    FontFace &operator=(const FontFace &) = delete;

    double pointSize() const;
    bool bold() const;
    bool italic() const;
    const QRawFont &rawFont() const; // sized in twips

    double ascent() const;
    double descent() const;
    double lineSpacing() const;

    Glyphs glyphs(const QString &text) const;
    // The same as glyphs(text).width and .shaped->unprintable, without making the glyphs.
    double advance(const QString &text) const;
    QList<char32_t> unprintable(const QString &text) const;

private:
    Glyphs shapedGlyphs(const QString &text) const;
    // Calls glyph(g) for each character's glyph while each is plain; false at the first that is not.
    template<typename F>
    bool forEachPlainGlyph(const QString &text, F &&glyph) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
