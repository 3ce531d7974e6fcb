#include "reporting_engine/render/FontFallback.h"

#include <QChar>
#include <QHash>

#include <fontconfig/fontconfig.h>

#include <memory>
#include <mutex>

namespace engine {
namespace {

// fontconfig's lists are shared by every thread that renders.
std::mutex &fontconfigLock()
{
    static std::mutex lock;
    return lock;
}

struct PatternDeleter {
    void operator()(FcPattern *p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
    void operator()(FcFontSet *s) const { FcFontSetDestroy(s); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;
using FontSet = std::unique_ptr<FcFontSet, FontSetDeleter>;

Pattern patternHaving(char32_t ch)
{
    Pattern p(FcPatternCreate());
    FcCharSet *chars = FcCharSetCreate();
    FcCharSetAddChar(chars, FcChar32(ch));
    FcPatternAddCharSet(p.get(), FC_CHARSET, chars);
    FcCharSetDestroy(chars);
    return p;
}

// TrueType outlines the PDF writer can subset, not a colour or bitmap face.
bool embeddable(const FcPattern *font)
{
    FcChar8 *format = nullptr;
    FcBool outline = FcFalse, color = FcFalse;
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch
        || qstrcmp(reinterpret_cast<const char *>(format), "TrueType") != 0)
        return false;
    if (FcPatternGetBool(font, FC_OUTLINE, 0, &outline) == FcResultMatch && !outline)
        return false;
    return !(FcPatternGetBool(font, FC_COLOR, 0, &color) == FcResultMatch && color);
}

bool hasChar(const FcPattern *font, char32_t ch)
{
    FcCharSet *chars = nullptr;
    return FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) == FcResultMatch && FcCharSetHasChar(chars, FcChar32(ch));
}

QString familyOf(const FcPattern *font)
{
    FcChar8 *family = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(family));
}

QString searchFamily(char32_t ch, const QString &family)
{
    Pattern p = patternHaving(ch);
    FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.toUtf8().constData()));
    FcConfigSubstitute(nullptr, p.get(), FcMatchPattern);
    FcDefaultSubstitute(p.get());
    FcResult result = FcResultNoMatch;
    const FontSet sorted(FcFontSort(nullptr, p.get(), FcFalse, nullptr, &result));
    if (!sorted)
        return {};
    for (int i = 0; i < sorted->nfont; ++i) {
        const FcPattern *font = sorted->fonts[i];
        if (hasChar(font, ch) && embeddable(font))
            return familyOf(font);
    }
    return {};
}

bool anyFontHas(char32_t ch)
{
    const Pattern p = patternHaving(ch);
    std::unique_ptr<FcObjectSet, void (*)(FcObjectSet *)> objects(
        FcObjectSetBuild(FC_FONTFORMAT, FC_OUTLINE, FC_COLOR, nullptr), FcObjectSetDestroy);
    const FontSet fonts(FcFontList(nullptr, p.get(), objects.get()));
    for (int i = 0; fonts && i < fonts->nfont; ++i)
        if (embeddable(fonts->fonts[i]))
            return true;
    return false;
}

} // namespace

bool FontFallback::invisible(char32_t ch)
{
    switch (QChar::category(ch)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString FontFallback::familyFor(char32_t ch, const QString &family)
{
    static QHash<std::pair<QString, char32_t>, QString> found;
    const std::lock_guard<std::mutex> guard(fontconfigLock());
    const auto key = std::make_pair(family, ch);
    auto it = found.find(key);
    if (it == found.end())
        it = found.insert(key, searchFamily(ch, family));
    return *it;
}

QList<char32_t> FontFallback::unprintable(const QString &text)
{
    QList<char32_t> out;
    static QHash<char32_t, bool> printable;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if ((ch >= 0x20 && ch < 0x7F) || invisible(ch) || out.contains(ch))
            continue; // every font has ASCII: the common case needs no lookup
        const std::lock_guard<std::mutex> guard(fontconfigLock());
        auto it = printable.find(ch);
        if (it == printable.end())
            it = printable.insert(ch, anyFontHas(ch));
        if (!*it)
            out.push_back(ch);
    }
    return out;
}

QString FontFallback::codePoints(const QList<char32_t> &chars)
{
    QStringList names;
    for (const char32_t ch : chars)
        names << QStringLiteral("U+%1").arg(uint(ch), 4, 16, QLatin1Char('0')).toUpper();
    return names.join(QStringLiteral(", "));
}

} // namespace engine
