#include "reporting_engine/pdf/PdfFontSet.h"

#include "reporting_engine/pdf/PdfSyntax.h"
#include "reporting_engine/pdf/TrueTypeFont.h"
#include "reporting_engine/pdf/ZlibDeflater.h"

#include <QHash>
#include <QRawFont>

#include <vector>

namespace engine {

using namespace pdfsyntax;

namespace {

struct EmbeddedFont {
    QRawFont raw;
    std::string resource;
    std::unique_ptr<TrueTypeFont> tables;
    std::vector<bool> used;
    std::vector<float> widths;    // 1/1000 em, as the renderer measured them
    std::vector<QString> text;    // the characters each glyph was drawn for
};

// A face seen before: its font without looking the font up again. The copy of
// the raw font keeps its engine alive, so a new face at the same address is told apart.
struct KnownFace {
    const FontFace *face;
    QRawFont raw;
    size_t font;
    double toThousandths;
};

std::string streamObject(const std::string &dictionaryEntries, const QByteArray &data, ZlibDeflater &deflater)
{
    std::string packed;
    deflater.compress(std::string_view(data.constData(), size_t(data.size())), packed);
    std::string out = "<<" + dictionaryEntries + "/Filter/FlateDecode/Length ";
    appendInt(out, std::int64_t(packed.size()));
    out += ">>\nstream\n";
    out += packed;
    out += "\nendstream";
    return out;
}

QByteArray toUnicodeCMap(const EmbeddedFont &font)
{
    std::vector<std::pair<std::uint32_t, QString>> map;
    for (size_t g = 1; g < font.used.size(); ++g) // glyph 0 stands for any missing character
        if (font.used[g] && !font.text[g].isEmpty())
            map.emplace_back(std::uint32_t(g), font.text[g]);
    const std::string s = pdfsyntax::toUnicodeCMap(2, map);
    return QByteArray(s.data(), qsizetype(s.size()));
}

// Six capital letters naming this subset, the same for the same glyphs.
std::string subsetTag(const EmbeddedFont &font)
{
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    for (const char c : font.resource)
        mix(std::uint8_t(c));
    for (size_t g = 0; g < font.used.size(); ++g)
        if (font.used[g])
            mix(g);
    std::string tag(6, 'A');
    for (char &c : tag) {
        c = char('A' + h % 26);
        h /= 26;
    }
    return tag;
}

std::string type0FontObject(const std::string &name, int cidFont, int toUnicode)
{
    std::string s = "<</Type/Font/Subtype/Type0/BaseFont/" + name + "/Encoding/Identity-H/DescendantFonts[";
    appendInt(s, cidFont);
    s += " 0 R]/ToUnicode ";
    appendInt(s, toUnicode);
    s += " 0 R>>";
    return s;
}

// The glyph widths, one run of consecutive used glyphs at a time.
void appendWidths(std::string &s, const EmbeddedFont &font)
{
    for (size_t g = 0; g < font.used.size();) {
        if (!font.used[g]) {
            ++g;
            continue;
        }
        appendInt(s, std::int64_t(g));
        s += '[';
        for (bool first = true; g < font.used.size() && font.used[g]; ++g, first = false) {
            if (!first)
                s += ' ';
            appendNumber(s, font.widths[g]);
        }
        s += ']';
    }
}

std::string cidFontObject(const EmbeddedFont &font, const std::string &name, int descriptor)
{
    std::string s = "<</Type/Font/Subtype/CIDFontType2/BaseFont/" + name
                    + "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor ";
    appendInt(s, descriptor);
    s += " 0 R/CIDToGIDMap/Identity/W[";
    appendWidths(s, font);
    s += "]>>";
    return s;
}

std::string fontDescriptorObject(const TrueTypeFont::Metrics &m, const std::string &name, int file)
{
    const int flags = (m.fixedPitch ? 1 : 0) | (m.serif ? 2 : 0) | 4 /* symbolic: glyphs are named by id */
                      | (m.italic ? 64 : 0);
    std::string s = "<</Type/FontDescriptor/FontName/" + name + "/Flags ";
    appendInt(s, flags);
    s += "/FontBBox[";
    for (const double v : {m.bboxLeft, m.bboxBottom, m.bboxRight, m.bboxTop}) {
        appendNumber(s, v, 0);
        s += ' ';
    }
    s.back() = ']';
    s += "/ItalicAngle ";
    appendNumber(s, m.italicAngle);
    s += "/Ascent ";
    appendNumber(s, m.ascent, 0);
    s += "/Descent ";
    appendNumber(s, m.descent, 0);
    s += "/CapHeight ";
    appendNumber(s, m.capHeight, 0);
    s += "/StemV ";
    appendNumber(s, m.stemV, 0);
    s += "/FontFile2 ";
    appendInt(s, file);
    s += " 0 R>>";
    return s;
}

} // namespace

struct PdfFontSet::Private {
    std::vector<std::unique_ptr<EmbeddedFont>> fonts;
    QHash<QString, size_t> byKey;
    std::vector<KnownFace> faces;
    size_t lastFace = 0;
    PdfBarFont bars;

    KnownFace &known(const FontFace &face);
    size_t fontFor(const QRawFont &raw);
};

// One file, one embedded font, whatever sizes the faces draw it at.
size_t PdfFontSet::Private::fontFor(const QRawFont &raw)
{
    const QString key = raw.familyName() + QLatin1Char('/') + raw.styleName() + QLatin1Char('/')
                        + QString::number(raw.weight()) + QLatin1Char('/') + QString::number(int(raw.style()));
    auto it = byKey.find(key);
    if (it == byKey.end()) {
        auto font = std::make_unique<EmbeddedFont>();
        font->raw = raw;
        font->tables = std::make_unique<TrueTypeFont>(raw);
        const auto n = size_t(font->tables->glyphCount());
        font->used.assign(n, false);
        font->widths.assign(n, 0.0f);
        font->text.assign(n, QString());
        font->resource = "F" + std::to_string(fonts.size() + 1);
        fonts.push_back(std::move(font));
        it = byKey.insert(key, fonts.size() - 1);
    }
    return *it;
}

KnownFace &PdfFontSet::Private::known(const FontFace &face)
{
    if (lastFace < faces.size() && faces[lastFace].face == &face && faces[lastFace].raw == face.rawFont())
        return faces[lastFace];
    for (size_t i = 0; i < faces.size(); ++i) {
        if (faces[i].face == &face && faces[i].raw == face.rawFont()) {
            lastFace = i;
            return faces[i];
        }
    }
    const QRawFont &raw = face.rawFont();
    const size_t font = fontFor(raw);
    const double size = raw.pixelSize();
    faces.push_back({&face, raw, font, size > 0 ? 1000.0 / size : 0.0});
    lastFace = faces.size() - 1;
    return faces.back();
}

PdfFontSet::PdfFontSet() : d(std::make_unique<Private>()) {}
PdfFontSet::~PdfFontSet() = default;

PdfBarFont &PdfFontSet::bars() { return d->bars; }

const std::string &PdfFontSet::use(const FontFace &face, const QString &text, const FontFace::Glyphs &glyphs)
{
    const KnownFace &k = d->known(face);
    EmbeddedFont &font = *d->fonts[k.font];
    // Characters pair with glyphs one to one, a surrogate pair counting as one, as the face maps them.
    qsizetype c = 0;
    for (qsizetype i = 0; i < glyphs.indexes.size() && c < text.size(); ++i) {
        char32_t ch = text.at(c).unicode();
        if (QChar::isHighSurrogate(ch) && c + 1 < text.size() && text.at(c + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(c), text.at(c + 1));
            ++c;
        }
        ++c;
        const quint32 g = glyphs.indexes[i];
        if (g < font.used.size() && !font.used[g]) {
            font.used[g] = true;
            font.widths[g] = float(glyphs.advances[i] * k.toThousandths);
            font.text[g] = QString::fromUcs4(&ch, 1);
        }
    }
    return font.resource;
}

const std::string &PdfFontSet::use(const FontFace::Shaped::Run &run, const QVector<QPointF> &advances)
{
    EmbeddedFont &font = *d->fonts[d->fontFor(run.font)];
    const double size = run.font.pixelSize();
    const double toThousandths = size > 0 ? 1000.0 / size : 0.0;
    for (qsizetype i = 0; i < run.indexes.size(); ++i) {
        const quint32 g = run.indexes[i];
        if (g < font.used.size() && !font.used[g]) {
            font.used[g] = true;
            font.widths[g] = float(advances.value(i).x() * toThousandths);
            font.text[g] = run.texts.value(i);
        } else if (g < font.used.size() && font.text[g].isEmpty()) {
            font.text[g] = run.texts.value(i); // first drawn without characters of its own, now with
        }
    }
    return font.resource;
}

std::string PdfFontSet::writeFonts(int &nextObject, const std::function<void(int, const std::string &)> &writeObject) const
{
    ZlibDeflater deflater(9, ZlibDeflater::Streams::Large); // once per document: the smallest file is worth the time
    std::string resources = "<<";
    for (const auto &fontPtr : d->fonts) {
        const EmbeddedFont &font = *fontPtr;
        const int type0 = nextObject++, cidFont = nextObject++, descriptor = nextObject++, file = nextObject++,
                  toUnicode = nextObject++;
        const std::string name = subsetTag(font) + '+' + font.tables->postScriptName().toStdString();
        writeObject(type0, type0FontObject(name, cidFont, toUnicode));
        writeObject(cidFont, cidFontObject(font, name, descriptor));
        writeObject(descriptor, fontDescriptorObject(font.tables->metrics(), name, file));

        const QByteArray subset = font.tables->subset(font.used);
        std::string entries = "/Length1 ";
        appendInt(entries, subset.size());
        writeObject(file, streamObject(entries, subset, deflater));
        writeObject(toUnicode, streamObject(std::string(), toUnicodeCMap(font), deflater));

        resources += '/' + font.resource + ' ';
        appendInt(resources, type0);
        resources += " 0 R";
    }
    if (d->bars.isUsed()) {
        resources += '/' + PdfBarFont::resource() + ' ';
        appendInt(resources, d->bars.write(nextObject, writeObject));
        resources += " 0 R";
    }
    resources += ">>";
    return resources;
}

} // namespace engine
