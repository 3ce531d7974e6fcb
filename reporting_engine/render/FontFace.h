#pragma once

#include "reporting_engine/EngineExport.h"

#include <QRawFont>
#include <QString>
#include <QVector>

#include <memory>

namespace engine {

// A font at one size, measured and drawn in twips with its design metrics (no
// hinting), so that measuring and every output agree to the twip. Glyphs and
// advances are cached per character: the same few characters repeat on every page.
class ENGINE_EXPORT FontFace {
public:
    struct Glyphs {
        QVector<quint32> indexes;
        QVector<double> advances; // twips
        double width = 0;         // twips
    };

    // Names without a font on this machine get their metric twin (Times New Roman:
    // Liberation Serif, Arial: Liberation Sans).
    FontFace(const QString &family, double pointSize, bool bold, bool italic);
    ~FontFace();
    FontFace(const FontFace &) = delete;
    FontFace &operator=(const FontFace &) = delete;

    const QString &requestedFamily() const;
    double pointSize() const;
    bool bold() const;
    bool italic() const;
    const QRawFont &rawFont() const; // sized in twips

    double ascent() const;
    double descent() const;
    double lineSpacing() const;

    Glyphs glyphs(const QString &text) const;
    double advance(const QString &text) const { return glyphs(text).width; }

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
