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
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

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

// Every installed font, the closest to family first, as fontconfig ranks them; made
// once per family, so a character costs a walk down the list, whatever came before it.
const FcFontSet &fontsBy(const QString &family)
{
    static QHash<QString, std::shared_ptr<FcFontSet>> sorted;
    auto it = sorted.find(family);
    if (it == sorted.end()) {
        const Pattern p(FcPatternCreate());
        FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.toUtf8().constData()));
        FcConfigSubstitute(nullptr, p.get(), FcMatchPattern);
        FcDefaultSubstitute(p.get());
        FcResult result = FcResultNoMatch;
        FcFontSet *fonts = FcFontSort(nullptr, p.get(), FcFalse, nullptr, &result);
        it = sorted.insert(family, std::shared_ptr<FcFontSet>(fonts ? fonts : FcFontSetCreate(), FcFontSetDestroy));
    }
    return **it;
}

QString searchFamily(char32_t ch, const QString &family)
{
    const FcFontSet &fonts = fontsBy(family);
    for (int i = 0; i < fonts.nfont; ++i)
        if (hasChar(fonts.fonts[i], ch) && embeddable(fonts.fonts[i]))
            return familyOf(fonts.fonts[i]);
    return {};
}

QString cachedFamilyFor(char32_t ch, const QString &family)
{
    static QHash<std::pair<QString, char32_t>, QString> found;
    const auto key = std::make_pair(family, ch);
    auto it = found.find(key);
    if (it == found.end())
        it = found.insert(key, searchFamily(ch, family));
    return *it;
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
    const std::lock_guard<std::mutex> guard(fontconfigLock());
    return cachedFamilyFor(ch, family);
}

QList<char32_t> FontFallback::unprintable(const QString &text)
{
    QList<char32_t> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if ((ch >= 0x20 && ch < 0x7F) || invisible(ch) || out.contains(ch))
            continue; // every font has ASCII: the common case needs no lookup
        const std::lock_guard<std::mutex> guard(fontconfigLock());
        if (cachedFamilyFor(ch, QStringLiteral("sans-serif")).isEmpty()) // the list holds every font
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
