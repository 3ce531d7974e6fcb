#include "reporting_engine/PageRenderer.h"

#include "reporting_engine/EngineError.h"
#include "reporting_engine/PostnetEncoder.h"
#include "reporting_engine/Report.h"
#include "reporting_engine/Twips.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <mutex>
#include <optional>

namespace engine {
namespace {

// Never shrink text below this share of its size: smaller is unreadable, so the
// rest is clipped instead.
constexpr double minimumShrink = 0.6;

QStringList splitLines(const QString &text)
{
    // CR LF is the line break; a lone CR or LF is taken as one too rather than
    // printed as a control character.
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normalized.split(QLatin1Char('\n'));
}

struct FontKey {
    QString family;
    double pointSize;
    bool bold;
    bool italic;
    int dpi;
    bool operator==(const FontKey &) const = default;
};

size_t qHash(const FontKey &k, size_t seed = 0)
{
    return qHashMulti(seed, k.family, k.pointSize, k.bold, k.italic, k.dpi);
}

} // namespace

struct PageRenderer::Private {
    QHash<FontKey, QFont> fonts;
    QHash<QString, BarcodeSymbol> symbols;

    // Point sizes are meant in the twip space the painter draws in, whatever the device's resolution.
    const QFont &font(const TextStyle &style, double scale, const QPaintDevice *device)
    {
        const int dpi = device ? device->logicalDpiY() : 1440;
        const FontKey key{style.family.value_or(QStringLiteral("Arial")), style.pointSize.value_or(10) * scale,
                          style.bold.value_or(false), style.italic.value_or(false), dpi};
        auto it = fonts.find(key);
        if (it == fonts.end()) {
            QFont f(key.family);
            f.setPointSizeF(key.pointSize * twips::perInch / dpi);
            f.setBold(key.bold);
            f.setItalic(key.italic);
            f.setHintingPreference(QFont::PreferNoHinting);
            it = fonts.insert(key, f);
        }
        return *it;
    }

    const BarcodeSymbol &symbol(const QString &digits)
    {
        auto it = symbols.find(digits);
        if (it == symbols.end()) {
            if (symbols.size() > 256)
                symbols.clear();
            it = symbols.insert(digits, PostnetEncoder::encode(digits));
        }
        return *it;
    }

    void paintTextBox(QPainter &p, const TextBox &box, const QPointF &origin, const TextStyle &normal);
    void paintBarcode(QPainter &p, const Barcode &bar, const QPointF &origin, const Report &report);
};

void PageRenderer::Private::paintTextBox(QPainter &p, const TextBox &box, const QPointF &origin, const TextStyle &normal)
{
    const QRectF rect = box.geometry().translated(origin);
    const QStringList lines = splitLines(box.text());
    const TextStyle style = box.style().resolvedAgainst(normal);

    // Shrink until every line fits the box, so nothing is lost and nothing spills.
    double scale = 1.0;
    const QFont *f = &font(style, scale, p.device());
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QFontMetricsF fm(*f, p.device());
        double widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
        const double tallest = fm.lineSpacing() * (lines.size() - 1) + fm.ascent() + fm.descent();
        const double fit = std::min({1.0, widest > 0 ? rect.width() / widest : 1.0, rect.height() / tallest});
        if (fit >= 0.999 || scale <= minimumShrink)
            break;
        scale = std::max(minimumShrink, scale * fit * 0.995);
        f = &font(style, scale, p.device());
    }

    const QFontMetricsF fm(*f, p.device());
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    p.setFont(*f);
    p.setPen(Qt::black);
    double baseline = rect.top() + fm.ascent();
    for (const QString &line : lines) {
        double x = rect.left();
        if (style.alignment & Qt::AlignHCenter)
            x += (rect.width() - fm.horizontalAdvance(line)) / 2;
        else if (style.alignment & Qt::AlignRight)
            x = rect.right() - fm.horizontalAdvance(line);
        p.drawText(QPointF(x, baseline), line);
        baseline += fm.lineSpacing();
    }
    p.restore();
}

void PageRenderer::Private::paintBarcode(QPainter &p, const Barcode &bar, const QPointF &origin, const Report &report)
{
    if (bar.style() != Barcode::stylePostnet)
        return;
    const Fields::Field *field = report.fields().find(bar.dataField());
    if (!field)
        throw EngineError(QStringLiteral("Barcode %1 is bound to the field \"%2\", which the report does not have.")
                              .arg(bar.name(), bar.dataField()));
    const std::optional<QString> digits = PostnetEncoder::digitsForValue(field->value);
    if (!digits)
        return; // no bars rather than bars that encode other digits

    const BarcodeSymbol &sym = symbol(*digits);
    const QRectF rect = bar.geometry().translated(origin);
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const BarcodeBar &b : sym.bars)
        p.fillRect(QRectF(rect.left() + b.left, rect.top() + b.top, b.width, b.height), Qt::black);

    if (bar.showCaption()) {
        const QFont &f = font(bar.captionStyle(), 1.0, p.device());
        const QFontMetricsF fm(f, p.device());
        if (sym.height + fm.ascent() <= rect.height()) {
            p.setFont(f);
            p.setPen(Qt::black);
            p.drawText(QPointF(rect.left(), rect.top() + sym.height + fm.ascent()), sym.humanReadable);
        }
    }
    p.restore();
}

PageRenderer::PageRenderer() : d(std::make_unique<Private>()) { installFontSubstitutes(); }
PageRenderer::~PageRenderer() = default;

void PageRenderer::paint(QPainter &painter, const Report &report)
{
    const PageSettings &page = report.pageSettings();
    QPointF origin(page.leftMargin(), page.topMargin());
    for (const auto &section : report.sections()) {
        for (const auto &control : section->controls()) {
            switch (control->kind()) {
            case Control::Kind::TextBox:
                d->paintTextBox(painter, static_cast<const TextBox &>(*control), origin, report.normalStyle());
                break;
            case Control::Kind::Barcode:
                d->paintBarcode(painter, static_cast<const Barcode &>(*control), origin, report);
                break;
            }
        }
        origin.ry() += section->height();
    }
}

void PageRenderer::installFontSubstitutes()
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

} // namespace engine
