#include "reporting_engine/pdf/TrueTypeFont.h"

#include "reporting_engine/base/EngineError.h"

#include <QRawFont>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

namespace engine {
namespace {

std::uint16_t u16(const QByteArray &t, qsizetype at)
{
    if (at < 0 || at + 2 > t.size())
        return 0;
    return static_cast<std::uint16_t>((std::uint8_t(t[at]) << 8) | std::uint8_t(t[at + 1]));
}
std::int16_t s16(const QByteArray &t, qsizetype at) { return static_cast<std::int16_t>(u16(t, at)); }
std::uint32_t u32(const QByteArray &t, qsizetype at) { return (std::uint32_t(u16(t, at)) << 16) | u16(t, at + 2); }

void put16(QByteArray &t, qsizetype at, std::uint16_t v)
{
    t[at] = char(v >> 8);
    t[at + 1] = char(v & 0xFF);
}
void put32(QByteArray &t, qsizetype at, std::uint32_t v)
{
    put16(t, at, std::uint16_t(v >> 16));
    put16(t, at + 2, std::uint16_t(v & 0xFFFF));
}
void append16(QByteArray &t, std::uint16_t v)
{
    t.append(char(v >> 8));
    t.append(char(v & 0xFF));
}
void append32(QByteArray &t, std::uint32_t v)
{
    append16(t, std::uint16_t(v >> 16));
    append16(t, std::uint16_t(v & 0xFFFF));
}

std::uint32_t checksum(const QByteArray &t)
{
    std::uint32_t sum = 0;
    for (qsizetype i = 0; i < t.size(); i += 4) {
        std::uint32_t word = 0;
        for (qsizetype j = 0; j < 4; ++j)
            word = (word << 8) | (i + j < t.size() ? std::uint8_t(t[i + j]) : 0u);
        sum += word;
    }
    return sum;
}

// Composite glyph flags.
constexpr std::uint16_t argsAreWords = 0x0001;
constexpr std::uint16_t haveScale = 0x0008;
constexpr std::uint16_t moreComponents = 0x0020;
constexpr std::uint16_t haveXYScale = 0x0040;
constexpr std::uint16_t haveTwoByTwo = 0x0080;

struct FontTable {
    std::array<char, 4> tag;
    QByteArray data;
};

// A font file of these tables (in tag order): the directory, the tables, and the
// head table's checksum adjustment over the whole file.
QByteArray fontFile(const std::vector<FontTable> &tables)
{
    const auto count = std::uint16_t(tables.size());
    std::uint16_t power = 1, log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    QByteArray out;
    append32(out, 0x00010000);
    append16(out, count);
    append16(out, std::uint16_t(power * 16));
    append16(out, log2);
    append16(out, std::uint16_t(count * 16 - power * 16));
    std::uint32_t offset = 12 + 16u * count;
    for (const FontTable &t : tables) {
        out.append(t.tag.data(), 4);
        append32(out, checksum(t.data));
        append32(out, offset);
        append32(out, std::uint32_t(t.data.size()));
        offset += (std::uint32_t(t.data.size()) + 3) & ~3u;
    }
    qsizetype headAt = 0;
    for (const FontTable &t : tables) {
        if (t.tag == std::array<char, 4>{'h', 'e', 'a', 'd'})
            headAt = out.size();
        out.append(t.data);
        while (out.size() % 4)
            out.append('\0');
    }
    put32(out, headAt + 8, 0xB1B0AFBAu - checksum(out));
    return out;
}

} // namespace

struct TrueTypeFont::Private {
    QRawFont font;
    QByteArray head, hhea, maxp, hmtx, loca, glyf;
    int glyphs = 0;
    bool longLoca = false;
    double toThousandths = 1;

    QByteArray table(const char tag[4]) const { return font.fontTable(tag); }
    std::uint32_t glyphOffset(int g) const { return longLoca ? u32(loca, qsizetype(g) * 4) : 2u * u16(loca, qsizetype(g) * 2); }

    std::vector<bool> glyphsToKeep(const std::vector<bool> &usedGlyphs) const;
    void forEachComponent(int glyph, const std::function<void(int)> &component) const;
    void keptOutlines(const std::vector<bool> &keep, QByteArray &glyfOut, QByteArray &locaOut) const;
    QByteArray metricsOfKept(const std::vector<bool> &keep) const;
};

std::vector<bool> TrueTypeFont::Private::glyphsToKeep(const std::vector<bool> &usedGlyphs) const
{
    std::vector<bool> keep(size_t(glyphs), false);
    std::vector<int> work;
    auto want = [&](int g) {
        if (g >= 0 && g < glyphs && !keep[size_t(g)]) {
            keep[size_t(g)] = true;
            work.push_back(g);
        }
    };
    want(0); // .notdef: shown for anything the font lacks
    for (size_t g = 0; g < usedGlyphs.size(); ++g)
        if (usedGlyphs[g])
            want(int(g));
    // A composite glyph draws its components: keep them too, however deep.
    while (!work.empty()) {
        const int g = work.back();
        work.pop_back();
        forEachComponent(g, want);
    }
    return keep;
}

void TrueTypeFont::Private::forEachComponent(int glyph, const std::function<void(int)> &component) const
{
    const std::uint32_t start = glyphOffset(glyph), end = glyphOffset(glyph + 1);
    if (end <= start + 10 || end > std::uint32_t(glyf.size()) || s16(glyf, start) >= 0)
        return; // empty, damaged or a simple glyph
    qsizetype at = qsizetype(start) + 10;
    for (;;) {
        const std::uint16_t flags = u16(glyf, at);
        component(u16(glyf, at + 2));
        at += 4 + ((flags & argsAreWords) ? 4 : 2);
        if (flags & haveScale)
            at += 2;
        else if (flags & haveXYScale)
            at += 4;
        else if (flags & haveTwoByTwo)
            at += 8;
        if (!(flags & moreComponents) || at >= qsizetype(end))
            return;
    }
}

// The kept glyphs' outlines, every glyph keeping its number, and their long-format index.
void TrueTypeFont::Private::keptOutlines(const std::vector<bool> &keep, QByteArray &glyfOut, QByteArray &locaOut) const
{
    locaOut.reserve((qsizetype(glyphs) + 1) * 4);
    for (int g = 0; g < glyphs; ++g) {
        append32(locaOut, std::uint32_t(glyfOut.size()));
        if (!keep[size_t(g)])
            continue;
        const std::uint32_t start = glyphOffset(g), end = glyphOffset(g + 1);
        if (end > start && end <= std::uint32_t(glyf.size())) {
            glyfOut.append(glyf.constData() + start, end - start);
            while (glyfOut.size() % 4)
                glyfOut.append('\0');
        }
    }
    append32(locaOut, std::uint32_t(glyfOut.size()));
}

QByteArray TrueTypeFont::Private::metricsOfKept(const std::vector<bool> &keep) const
{
    // Advances of glyphs left out are zeroed: nothing draws them, and zeros compress away.
    QByteArray out = hmtx;
    const int longMetrics = u16(hhea, 34);
    for (int g = 0; g < glyphs; ++g) {
        if (keep[size_t(g)])
            continue;
        const qsizetype at = g < longMetrics ? qsizetype(g) * 4 : qsizetype(longMetrics) * 4 + qsizetype(g - longMetrics) * 2;
        if (g < longMetrics && at + 4 <= out.size())
            put32(out, at, 0);
        else if (g >= longMetrics && at + 2 <= out.size())
            put16(out, at, 0);
    }
    return out;
}

TrueTypeFont::TrueTypeFont(const QRawFont &font) : d(std::make_unique<Private>())
{
    d->font = font;
    d->head = d->table("head");
    d->hhea = d->table("hhea");
    d->maxp = d->table("maxp");
    d->hmtx = d->table("hmtx");
    d->loca = d->table("loca");
    d->glyf = d->table("glyf");
    if (d->head.size() < 54 || d->hhea.size() < 36 || d->maxp.size() < 6 || d->loca.isEmpty() || d->glyf.isEmpty())
        throw EngineError(QStringLiteral("The font \"%1\" has no TrueType outlines to embed in a PDF.").arg(font.familyName()));
    d->glyphs = u16(d->maxp, 4);
    d->longLoca = s16(d->head, 50) == 1;
    if (d->loca.size() < qsizetype(d->glyphs + 1) * (d->longLoca ? 4 : 2))
        throw EngineError(QStringLiteral("The font \"%1\" has a damaged glyph index.").arg(font.familyName()));
    const int unitsPerEm = u16(d->head, 18);
    d->toThousandths = unitsPerEm > 0 ? 1000.0 / unitsPerEm : 1.0;
}

TrueTypeFont::~TrueTypeFont() = default;

int TrueTypeFont::glyphCount() const { return d->glyphs; }

TrueTypeFont::Metrics TrueTypeFont::metrics() const
{
    const double k = d->toThousandths;
    Metrics m;
    m.bboxLeft = s16(d->head, 36) * k;
    m.bboxBottom = s16(d->head, 38) * k;
    m.bboxRight = s16(d->head, 40) * k;
    m.bboxTop = s16(d->head, 42) * k;
    m.ascent = s16(d->hhea, 4) * k;
    m.descent = s16(d->hhea, 6) * k;
    m.capHeight = m.ascent;
    int weight = 400;
    const QByteArray os2 = d->table("OS/2");
    if (os2.size() >= 78) {
        weight = u16(os2, 4);
        const int familyClass = u16(os2, 30) >> 8;
        m.serif = familyClass >= 1 && familyClass <= 7; // the serif classes
        m.italic = (u16(os2, 62) & 0x0001) != 0;
        if (u16(os2, 0) >= 2 && os2.size() >= 90)
            m.capHeight = s16(os2, 88) * k;
    }
    const QByteArray post = d->table("post");
    if (post.size() >= 16) {
        m.italicAngle = double(std::int32_t(u32(post, 4))) / 65536.0;
        m.fixedPitch = u32(post, 12) != 0;
    }
    m.italic = m.italic || (u16(d->head, 44) & 0x0002) != 0 || m.italicAngle != 0;
    // Fonts do not state their stem width; this usual estimate from the weight class is close enough for viewers.
    m.stemV = 50 + (weight / 65.0) * (weight / 65.0);
    return m;
}

QString TrueTypeFont::postScriptName() const
{
    QString name;
    const QByteArray t = d->table("name");
    const int count = u16(t, 2);
    const int strings = u16(t, 4);
    for (int i = 0; i < count && name.isEmpty(); ++i) {
        const qsizetype rec = 6 + qsizetype(i) * 12;
        const int platform = u16(t, rec), encoding = u16(t, rec + 2), id = u16(t, rec + 6);
        const int length = u16(t, rec + 8), offset = u16(t, rec + 10);
        const qsizetype at = qsizetype(strings) + offset;
        if (id != 6 || at + length > t.size())
            continue;
        if (platform == 3 && encoding == 1) {
            for (int j = 0; j + 1 < length; j += 2)
                name += QChar(u16(t, at + j));
        } else if (platform == 1 && encoding == 0) {
            name = QString::fromLatin1(t.mid(at, length));
        }
    }
    if (name.isEmpty())
        name = d->font.familyName() + d->font.styleName();
    QString clean;
    for (const QChar c : std::as_const(name))
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-'))
            clean += c;
    return clean.isEmpty() ? QStringLiteral("Font") : clean;
}

QByteArray TrueTypeFont::subset(const std::vector<bool> &usedGlyphs) const
{
    const std::vector<bool> keep = d->glyphsToKeep(usedGlyphs);
    QByteArray glyf, loca;
    d->keptOutlines(keep, glyf, loca);

    QByteArray head = d->head;
    put32(head, 8, 0); // checkSumAdjustment, set once the whole file is known
    put16(head, 50, 1); // loca is written in the long format

    // In tag order, as the table directory must be.
    std::vector<FontTable> tables;
    auto add = [&](const char tag[5], QByteArray data) {
        if (!data.isEmpty())
            tables.push_back({{tag[0], tag[1], tag[2], tag[3]}, std::move(data)});
    };
    add("cvt ", d->table("cvt "));
    add("fpgm", d->table("fpgm"));
    add("glyf", glyf);
    add("head", head);
    add("hhea", d->hhea);
    add("hmtx", d->metricsOfKept(keep));
    add("loca", loca);
    add("maxp", d->maxp);
    add("prep", d->table("prep"));
    return fontFile(tables);
}

} // namespace engine
