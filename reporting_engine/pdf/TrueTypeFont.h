#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class QRawFont;

namespace engine {

// The TrueType tables of a font, read through QRawFont: what a PDF font
// descriptor states about it, and a subset of it to embed.
class TrueTypeFont {
public:
    // Font units scaled to 1/1000 of the em, as a PDF font descriptor gives them.
    struct Metrics {
        double bboxLeft = 0, bboxBottom = 0, bboxRight = 0, bboxTop = 0;
        double ascent = 0, descent = 0, capHeight = 0;
        double italicAngle = 0;
        double stemV = 0;
        bool fixedPitch = false;
        bool serif = false;
        bool italic = false;
    };

    // Throws EngineError when the font has no TrueType outlines to embed.
    explicit TrueTypeFont(const QRawFont &font);
    ~TrueTypeFont();
    TrueTypeFont(const TrueTypeFont &) = delete;
    TrueTypeFont &operator=(const TrueTypeFont &) = delete;

    int glyphCount() const;
    Metrics metrics() const;
    // Letters, digits and hyphens only, so it can stand in a PDF name.
    QString postScriptName() const;
    // The font with only these glyphs' outlines (plus .notdef and the parts of
    // composite glyphs): glyph ids keep their numbers, so text needs no re-encoding.
    QByteArray subset(const std::vector<bool> &usedGlyphs) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
