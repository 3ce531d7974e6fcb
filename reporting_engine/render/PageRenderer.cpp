#include "reporting_engine/render/PageRenderer.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/Twips.h"
#include "reporting_engine/model/BarSymbology.h"
#include "reporting_engine/model/ReportDesign.h"
#include "reporting_engine/render/FontFace.h"
#include "reporting_engine/render/FontFallback.h"
#include "reporting_engine/render/PageCanvas.h"
#include "reporting_engine/render/QPainterCanvas.h"

#include <QHash>

#include <algorithm>
#include <optional>

namespace engine {
namespace {

// Never shrink text below this share of its size, nor below the design's smallest
// size for the box: smaller is unreadable, so the rest is clipped instead.
constexpr double minimumShrink = 0.6;

struct FontKey {
    QString family;
    double pointSize;
    bool bold;
    bool italic;
    bool operator==(const FontKey &) const = default;
};

size_t qHash(const FontKey &k, size_t seed = 0) { return qHashMulti(seed, k.family, k.pointSize, k.bold, k.italic); }

// Where a text box's lines go: worked out once per distinct box, text, place and
// style, since most boxes print the same text on every page of a run.
struct TextLayout {
    const FontFace *face = nullptr;
    QStringList lines;
    std::vector<QPointF> baselines;
};

struct LayoutKey {
    const TextBox *box;
    QString text;
    QRectF rect;
    TextStyle style; // a box's style may change between pages
    double minimumPointSize;
    bool operator==(const LayoutKey &) const = default;
};

size_t qHash(const LayoutKey &k, size_t seed = 0)
{
    // Equal keys hash alike; the style's family and size tell most styles apart.
    return qHashMulti(seed, quintptr(k.box), k.text, k.rect.x(), k.rect.y(), k.rect.width(), k.rect.height(),
                      k.style.family.value_or(QString()), k.style.pointSize.value_or(0), k.style.alignment.toInt());
}

// A symbol is kept per symbology and value: most pages of a run repeat their ZIP's bars.
struct SymbolKey {
    const BarSymbology *symbology;
    int type;
    QString value;
    bool operator==(const SymbolKey &) const = default;
};

size_t qHash(const SymbolKey &k, size_t seed = 0) { return qHashMulti(seed, quintptr(k.symbology), k.type, k.value); }

} // namespace

struct PageRenderer::Private {
    QHash<FontKey, std::shared_ptr<FontFace>> faces;
    QHash<SymbolKey, std::optional<BarcodeSymbol>> symbols;
    QHash<LayoutKey, TextLayout> layouts;

    const FontFace &face(const TextStyle &style, double scale)
    {
        const FontKey key{style.family.value_or(QStringLiteral("Arial")), style.pointSize.value_or(10) * scale,
                          style.bold.value_or(false), style.italic.value_or(false)};
        auto it = faces.find(key);
        if (it == faces.end())
            it = faces.insert(key, std::make_shared<FontFace>(key.family, key.pointSize, key.bold, key.italic));
        return **it;
    }

    std::optional<BarcodeSymbol> symbol(const Barcode &bar, const BarSymbology &symbology, const QVariant &value);

    const TextLayout &layout(const TextBox &box, const QRectF &rect, const TextStyle &normal, double minimumPointSize);
    void paintTextBox(PageCanvas &canvas, const TextBox &box, const QPointF &origin, const ReportDesign &design);
    void paintBarcode(PageCanvas &canvas, const Barcode &bar, const QPointF &origin, const ReportDesign &design);
    void paintSymbol(PageCanvas &canvas, const Barcode &bar, const QPointF &origin, const BarcodeSymbol &sym);
};

const TextLayout &PageRenderer::Private::layout(const TextBox &box, const QRectF &rect, const TextStyle &normal,
                                                double minimumPointSize)
{
    LayoutKey key{&box, box.text(), rect, box.style(), minimumPointSize};
    auto it = layouts.find(key);
    if (it != layouts.end())
        return *it;
    if (layouts.size() > 4096)
        layouts.clear();

    TextLayout out;
    out.lines = PageRenderer::splitLines(box.text());
    const TextStyle style = box.style().resolvedAgainst(normal);

    // Shrink until every line fits the box, so nothing is lost and nothing spills.
    double scale = 1.0;
    const double designed = style.pointSize.value_or(10);
    const double smallest = std::min(1.0, std::max(minimumShrink, minimumPointSize / designed));
    out.face = &face(style, scale);
    // A character no font has would be lost from the page without a word: refuse the page instead.
    for (const QString &line : std::as_const(out.lines)) {
        if (const QList<char32_t> missing = out.face->unprintable(line); !missing.isEmpty())
            throw EngineError(QStringLiteral("Text box %1 has characters no installed font can print: %2.")
                                  .arg(box.name(), FontFallback::codePoints(missing)));
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        double widest = 0;
        for (const QString &line : std::as_const(out.lines))
            widest = std::max(widest, out.face->advance(line));
        const double tallest = out.face->lineSpacing() * double(out.lines.size() - 1) + out.face->ascent() + out.face->descent();
        const double fit = std::min({1.0, widest > 0 ? rect.width() / widest : 1.0, rect.height() / tallest});
        if (fit >= 0.999 || scale <= smallest)
            break;
        scale = std::max(smallest, scale * fit * 0.995);
        out.face = &face(style, scale);
    }

    double baseline = rect.top() + out.face->ascent();
    for (const QString &line : std::as_const(out.lines)) {
        double x = rect.left();
        if (style.alignment & Qt::AlignHCenter)
            x += (rect.width() - out.face->advance(line)) / 2;
        else if (style.alignment & Qt::AlignRight)
            x = rect.right() - out.face->advance(line);
        out.baselines.emplace_back(x, baseline);
        baseline += out.face->lineSpacing();
    }
    return *layouts.insert(std::move(key), std::move(out));
}

void PageRenderer::Private::paintTextBox(PageCanvas &canvas, const TextBox &box, const QPointF &origin, const ReportDesign &design)
{
    if (box.text().isEmpty())
        return;
    const QRectF rect = box.geometry().translated(origin);
    const TextLayout &l = layout(box, rect, design.normalStyle(), design.minimumPointSize(box.name()));
    canvas.save();
    canvas.clipRect(rect);
    for (qsizetype i = 0; i < l.lines.size(); ++i)
        if (!l.lines[i].isEmpty())
            canvas.drawText(l.baselines[size_t(i)], l.lines[i], *l.face);
    canvas.restore();
}

std::optional<BarcodeSymbol> PageRenderer::Private::symbol(const Barcode &bar, const BarSymbology &symbology,
                                                         const QVariant &value)
{
    const auto encode = [&]() -> std::optional<BarcodeSymbol> {
        try {
            return symbology.encode(value);
        } catch (const EngineError &e) {
            throw EngineError(QStringLiteral("Barcode %1: %2").arg(bar.name(), e.message()));
        }
    };
    if (!symbology.repeats())
        return encode();
    SymbolKey key{&symbology, value.typeId(), value.toString()};
    auto it = symbols.find(key);
    if (it == symbols.end()) {
        if (symbols.size() > 4096)
            symbols.clear();
        it = symbols.insert(std::move(key), encode());
    }
    return *it;
}

void PageRenderer::Private::paintBarcode(PageCanvas &canvas, const Barcode &bar, const QPointF &origin, const ReportDesign &design)
{
    if (bar.style() == Barcode::styleNone)
        return;
    const std::shared_ptr<const BarSymbology> symbology = BarSymbology::forStyle(bar.style());
    if (!symbology)
        throw EngineError(QStringLiteral("Barcode %1: unknown barcode style %2.").arg(bar.name()).arg(bar.style()));
    const Fields::Field *field = design.fields().find(bar.dataField());
    if (!field)
        throw EngineError(QStringLiteral("Barcode %1 is bound to the field \"%2\", which the report does not have.")
                              .arg(bar.name(), bar.dataField()));
    const std::optional<BarcodeSymbol> sym = symbol(bar, *symbology, field->value);
    if (!sym)
        return; // no bars rather than bars that encode other digits
    // A clipped symbol cannot be read by the machines: refuse it rather than print it.
    const QSizeF box = bar.geometry().size();
    if (symbology->mustFitBox() && (sym->width > box.width() || sym->height > box.height()))
        throw EngineError(QStringLiteral("Barcode %1: the %2 is %3 x %4 in, larger than its box of %5 x %6 in.")
                              .arg(bar.name(), symbology->name())
                              .arg(twips::toInches(sym->width), 0, 'f', 3)
                              .arg(twips::toInches(sym->height), 0, 'f', 3)
                              .arg(twips::toInches(box.width()), 0, 'f', 3)
                              .arg(twips::toInches(box.height()), 0, 'f', 3));
    paintSymbol(canvas, bar, origin, *sym);
}

void PageRenderer::Private::paintSymbol(PageCanvas &canvas, const Barcode &bar, const QPointF &origin, const BarcodeSymbol &sym)
{
    const QRectF rect = bar.geometry().translated(origin);
    canvas.save();
    canvas.clipRect(rect);
    canvas.fillBars(rect.topLeft(), sym.bars);
    if (bar.showCaption()) {
        const FontFace &f = face(bar.captionStyle(), 1.0);
        if (sym.height + f.ascent() <= rect.height())
            canvas.drawText(QPointF(rect.left(), rect.top() + sym.height + f.ascent()), sym.humanReadable, f);
    }
    canvas.restore();
}

QStringList PageRenderer::splitLines(const QString &text)
{
    // CR LF is the line break; a lone CR or LF is taken as one too rather than
    // printed as a control character.
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return {text};
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normalized.split(QLatin1Char('\n'));
}

PageRenderer::PageRenderer() : d(std::make_unique<Private>()) {}
PageRenderer::~PageRenderer() = default;

void PageRenderer::paint(PageCanvas &canvas, const ReportDesign &design)
{
    const PageSettings &page = design.pageSettings();
    QPointF origin(page.leftMargin(), page.topMargin());
    for (const auto &section : design.sections()) {
        for (const auto &control : section->controls()) {
            switch (control->kind()) {
            case Control::Kind::TextBox:
                d->paintTextBox(canvas, static_cast<const TextBox &>(*control), origin, design);
                break;
            case Control::Kind::Barcode:
                d->paintBarcode(canvas, static_cast<const Barcode &>(*control), origin, design);
                break;
            case Control::Kind::Box:
                canvas.fillRect(control->geometry().translated(origin));
                break;
            }
        }
        origin.ry() += section->height();
    }
}

void PageRenderer::paint(QPainter &painter, const ReportDesign &design)
{
    QPainterCanvas canvas(painter);
    paint(canvas, design);
}

} // namespace engine
