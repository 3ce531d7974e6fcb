#include "reporting_engine/render/FontFace.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/Twips.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>

#include <array>
#include <mutex>

namespace engine {
namespace {

void installFontSubstitutes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Liberation Serif and Sans have the metrics of these, so every line keeps its width.
        const QStringList families = QFontDatabase::families();
        if (!families.contains(QStringLiteral("Times New Roman"), Qt::CaseInsensitive))
            QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
        if (!families.contains(QStringLiteral("Arial"), Qt::CaseInsensitive))
            QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    });
}

} // namespace

struct FontFace::Private {
    QString family;
    double pointSize;
    bool bold;
    bool italic;
    QRawFont raw;
    using Glyph = std::pair<quint32, double>; // index, advance in twips
    mutable QHash<char32_t, Glyph> perChar;
    // ASCII, which is nearly every character printed, without hashing.
    mutable std::array<Glyph, 128> ascii{};
    mutable std::array<bool, 128> asciiKnown{};

    const Glyph &glyphOf(char32_t ch, const QString &text, qsizetype first, qsizetype last) const
    {
        if (ch < 128 && asciiKnown[ch])
            return ascii[ch];
        auto it = perChar.find(ch);
        if (it == perChar.end()) {
            const QVector<quint32> index = raw.glyphIndexesForString(text.mid(first, last - first + 1));
            const quint32 glyph = index.isEmpty() ? 0 : index.first();
            const QVector<QPointF> adv = raw.advancesForGlyphIndexes(QVector<quint32>{glyph}, QRawFont::UseDesignMetrics);
            it = perChar.insert(ch, {glyph, adv.isEmpty() ? 0.0 : adv.first().x()});
        }
        if (ch < 128) {
            ascii[ch] = *it;
            asciiKnown[ch] = true;
        }
        return *it;
    }
};

FontFace::FontFace(const QString &family, double pointSize, bool bold, bool italic) : d(std::make_unique<Private>())
{
    installFontSubstitutes();
    d->family = family;
    d->pointSize = pointSize;
    d->bold = bold;
    d->italic = italic;
    QFont font(family);
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(100); // any size: the raw font is sized below
    d->raw = QRawFont::fromFont(font);
    if (!d->raw.isValid())
        throw EngineError(QStringLiteral("No font is available for \"%1\".").arg(family));
    d->raw.setPixelSize(pointSize * twips::perPoint);
}

FontFace::~FontFace() = default;

const QString &FontFace::requestedFamily() const { return d->family; }
double FontFace::pointSize() const { return d->pointSize; }
bool FontFace::bold() const { return d->bold; }
bool FontFace::italic() const { return d->italic; }
const QRawFont &FontFace::rawFont() const { return d->raw; }
double FontFace::ascent() const { return d->raw.ascent(); }
double FontFace::descent() const { return d->raw.descent(); }
double FontFace::lineSpacing() const { return d->raw.ascent() + d->raw.descent() + d->raw.leading(); }

FontFace::Glyphs FontFace::glyphs(const QString &text) const
{
    Glyphs out;
    out.indexes.reserve(text.size());
    out.advances.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t ch = text.at(i).unicode();
        const qsizetype first = i;
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        const Private::Glyph &g = d->glyphOf(ch, text, first, i);
        out.indexes.push_back(g.first);
        out.advances.push_back(g.second);
        out.width += g.second;
    }
    return out;
}

} // namespace engine
