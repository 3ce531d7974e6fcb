#include "reporting_engine/render/FontFace.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/Twips.h"
#include "reporting_engine/render/FontFallback.h"

#include <QFont>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QHash>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
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

// Characters Qt's text layout must place: right-to-left ones, marks that sit on
// another character, and the joiners and direction marks that change their neighbours.
bool needsShaping(char32_t ch)
{
    switch (QChar::direction(ch)) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirRLI:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirLRI:
    case QChar::DirFSI:
    case QChar::DirPDF:
    case QChar::DirPDI:
        return true;
    default:
        break;
    }
    switch (QChar::category(ch)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return true;
    default:
        return false;
    }
}

// Text is laid out at this size and scaled to the face's, so any size, fractions
// of a point included, lays out alike.
constexpr int layoutPixels = 2048;

// The characters of text, a surrogate pair counting as one.
template<typename F>
void forEachCodePoint(const QString &text, F &&f)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        f(ch);
    }
}

} // namespace

struct FontFace::Private {
    QString family;
    double pointSize;
    bool bold;
    bool italic;
    QRawFont raw;
    struct Glyph {
        quint32 index = 0;
        double advance = 0; // twips
        bool plain = false; // drawn as this font's glyph alone, without shaping
    };
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
            // A control character has no glyph in any font: it stays the font's empty one.
            const bool plain = !needsShaping(ch) && (glyph != 0 || QChar::category(ch) == QChar::Other_Control);
            it = perChar.insert(ch, {glyph, adv.isEmpty() ? 0.0 : adv.first().x(), plain});
        }
        if (ch < 128) {
            ascii[ch] = *it;
            asciiKnown[ch] = true;
        }
        return *it;
    }

    // Text laid out by Qt over this font and the fallbacks: kept per text, as a box
    // prints the same line on many pages.
    mutable QHash<QString, std::shared_ptr<const Shaped>> shapedTexts;

    std::shared_ptr<const Shaped> shape(const QString &text) const;
    QList<QTextLayout::FormatRange> fontRanges(const QString &text, Shaped &out) const;
    QFont layoutFont(const QString &fontFamily) const;
    void layOut(const QString &text, const QList<QTextLayout::FormatRange> &fonts, Shaped &out) const;
    void attributeClusters(const QString &text, const QTextLayout &layout, const std::vector<QRawFont> &layoutFonts,
                           const std::vector<QVector<QPointF>> &layoutPositions, Shaped &out) const;
};

// Which font draws each part of text: this face's where it has the characters, else
// the fallback found for them. Marks and invisible characters go with the character
// before them, so a mark is placed by its base's font.
QList<QTextLayout::FormatRange> FontFace::Private::fontRanges(const QString &text, Shaped &out) const
{
    const QString own = raw.familyName(); // the family the face has: Qt substitutes no names in formats
    QList<QTextLayout::FormatRange> ranges;
    QString current = own, ranged; // the font of this character, and of the last range
    for (qsizetype i = 0; i < text.size();) {
        char32_t ch = text.at(i).unicode();
        const qsizetype length = QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        if (length == 2)
            ch = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
        const QChar::Direction direction = QChar::direction(ch);
        out.rightToLeft = out.rightToLeft || direction == QChar::DirR || direction == QChar::DirAL;
        const QChar::Category category = QChar::category(ch);
        const bool follows = FontFallback::invisible(ch) || category == QChar::Mark_NonSpacing
                             || category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing;
        if (!follows) {
            current = raw.supportsCharacter(ch) ? own : FontFallback::familyFor(ch, family);
            if (current.isEmpty()) {
                if (!out.unprintable.contains(ch))
                    out.unprintable.push_back(ch);
                current = own;
            }
        }
        if (!ranges.isEmpty() && ranged == current) {
            ranges.last().length += int(length);
        } else {
            ranged = current;
            QTextLayout::FormatRange range;
            range.start = int(i);
            range.length = int(length);
            range.format.setFont(layoutFont(current));
            ranges.push_back(range);
        }
        i += length;
    }
    return ranges;
}

QFont FontFace::Private::layoutFont(const QString &fontFamily) const
{
    QFont font(fontFamily);
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(layoutPixels);
    return font;
}

std::shared_ptr<const FontFace::Shaped> FontFace::Private::shape(const QString &text) const
{
    if (std::shared_ptr<const Shaped> known = shapedTexts.value(text))
        return known;
    if (shapedTexts.size() > 1024)
        shapedTexts.clear();
    auto out = std::make_shared<Shaped>();
    layOut(text, fontRanges(text, *out), *out);
    shapedTexts.insert(text, out);
    return out;
}

void FontFace::Private::layOut(const QString &text, const QList<QTextLayout::FormatRange> &fonts, Shaped &out) const
{
    QTextLayout layout(text, layoutFont(raw.familyName()));
    layout.setFormats(fonts);
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute); // from the line's start, whatever its direction
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();

    const double scale = raw.pixelSize() / layoutPixels;
    const double baseline = line.y() + line.ascent();
    std::vector<QRawFont> layoutFonts;
    std::vector<QVector<QPointF>> layoutPositions;
    for (const QGlyphRun &g : layout.glyphRuns()) {
        Shaped::Run run;
        run.font = g.rawFont();
        layoutFonts.push_back(run.font);
        run.font.setPixelSize(raw.pixelSize());
        run.indexes = g.glyphIndexes();
        layoutPositions.push_back(g.positions());
        for (const QPointF &p : g.positions())
            run.positions.push_back(QPointF(p.x() * scale, (p.y() - baseline) * scale));
        run.texts = QStringList(QList<QString>(run.indexes.size()));
        out.runs.push_back(std::move(run));
    }
    out.width = line.horizontalAdvance() * scale;
    attributeClusters(text, layout, layoutFonts, layoutPositions, out);
    // Qt gives a right-to-left run in reading order; outputs draw left to right, one
    // glyph after the other, as readers of a PDF expect a line.
    for (Shaped::Run &run : out.runs) {
        if (run.positions.size() > 1 && run.positions.first().x() > run.positions.last().x()) {
            std::reverse(run.indexes.begin(), run.indexes.end());
            std::reverse(run.positions.begin(), run.positions.end());
            std::reverse(run.texts.begin(), run.texts.end());
        }
    }
}

// Which characters each glyph shows, for the PDF's text: a glyph the font maps the
// character to shows it; a cluster's other characters go to its first glyph that
// is not one of those (a ligature, a joining form), or else to its first glyph.
void FontFace::Private::attributeClusters(const QString &text, const QTextLayout &layout,
                                          const std::vector<QRawFont> &layoutFonts,
                                          const std::vector<QVector<QPointF>> &layoutPositions, Shaped &out) const
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype start = 0, end = graphemes.toNextBoundary(); end > start; start = end, end = graphemes.toNextBoundary()) {
        const QString cluster = text.mid(start, end - start);
        std::vector<std::pair<size_t, qsizetype>> glyphs; // run, glyph
        for (const QGlyphRun &part : layout.glyphRuns(int(start), int(end - start))) {
            const QVector<quint32> indexes = part.glyphIndexes();
            const QVector<QPointF> positions = part.positions();
            for (qsizetype k = 0; k < indexes.size(); ++k)
                for (size_t r = 0; r < out.runs.size(); ++r)
                    if (layoutFonts[r] == part.rawFont())
                        for (qsizetype j = 0; j < out.runs[r].indexes.size(); ++j)
                            if (out.runs[r].indexes[j] == indexes[k] && layoutPositions[r][j] == positions[k])
                                glyphs.emplace_back(r, j);
        }
        QString rest;
        std::vector<bool> own(glyphs.size(), false);
        forEachCodePoint(cluster, [&](char32_t ch) {
            const QString one = QString::fromUcs4(&ch, 1);
            for (size_t i = 0; i < glyphs.size(); ++i) {
                const auto [r, j] = glyphs[i];
                const QVector<quint32> mapped = layoutFonts[r].glyphIndexesForString(one);
                if (!own[i] && mapped.size() == 1 && mapped.first() == out.runs[r].indexes[j] && mapped.first() != 0) {
                    own[i] = true;
                    out.runs[r].texts[j] += one;
                    return;
                }
            }
            rest += one;
        });
        for (const auto &[r, j] : glyphs)
            if (out.runs[r].indexes[j] == 0) // a character Qt found no font for after all
                forEachCodePoint(cluster, [&](char32_t ch) {
                    if (!FontFallback::invisible(ch) && !out.unprintable.contains(ch))
                        out.unprintable.push_back(ch);
                });
        if (rest.isEmpty() || glyphs.empty())
            continue;
        size_t to = 0;
        while (to < glyphs.size() && own[to])
            ++to;
        const auto [r, j] = glyphs[to < glyphs.size() ? to : 0];
        out.runs[r].texts[j] += rest;
    }
}

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

double FontFace::pointSize() const { return d->pointSize; }
bool FontFace::bold() const { return d->bold; }
bool FontFace::italic() const { return d->italic; }
const QRawFont &FontFace::rawFont() const { return d->raw; }
double FontFace::ascent() const { return d->raw.ascent(); }
double FontFace::descent() const { return d->raw.descent(); }
double FontFace::lineSpacing() const { return d->raw.ascent() + d->raw.descent() + d->raw.leading(); }

template<typename F>
bool FontFace::forEachPlainGlyph(const QString &text, F &&glyph) const
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t ch = text.at(i).unicode();
        const qsizetype first = i;
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        const Private::Glyph &g = d->glyphOf(ch, text, first, i);
        if (!g.plain)
            return false;
        glyph(g.index, g.advance);
    }
    return true;
}

FontFace::Glyphs FontFace::glyphs(const QString &text) const
{
    Glyphs out;
    out.indexes.reserve(text.size());
    out.advances.reserve(text.size());
    const bool plain = forEachPlainGlyph(text, [&out](quint32 index, double advance) {
        out.indexes.push_back(index);
        out.advances.push_back(advance);
        out.width += advance;
    });
    return plain ? out : shapedGlyphs(text);
}

double FontFace::advance(const QString &text) const
{
    double width = 0;
    if (!forEachPlainGlyph(text, [&width](quint32, double advance) { width += advance; }))
        return d->shape(text)->width;
    return width;
}

QList<char32_t> FontFace::unprintable(const QString &text) const
{
    if (forEachPlainGlyph(text, [](quint32, double) {}))
        return {};
    return d->shape(text)->unprintable;
}

FontFace::Glyphs FontFace::shapedGlyphs(const QString &text) const
{
    Glyphs out;
    out.shaped = d->shape(text);
    out.width = out.shaped->width;
    return out;
}

} // namespace engine
