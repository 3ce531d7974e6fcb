#pragma once

#include "reporting_engine/base/BarcodeSymbol.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <span>

namespace engine {

class FontFace;

// What the page renderer draws on, in twips from the page's top-left corner:
// black text, black rectangles and barcode bars inside clip rectangles. A PDF writer, a QPainter
// (pictures, preview) or anything else can stand behind it.
class PageCanvas {
public:
    virtual ~PageCanvas() = default;

    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void clipRect(const QRectF &rect) = 0;
    virtual void fillRect(const QRectF &rect) = 0;
    // Text on one line from baseline, its glyphs advanced by the face's own metrics.
    virtual void drawText(const QPointF &baseline, const QString &text, const FontFace &face) = 0;
    // A barcode's bars, each placed from the symbol's top-left corner. One rectangle
    // a bar unless the canvas has a cheaper way to repeat a few shapes.
    virtual void fillBars(const QPointF &topLeft, std::span<const BarcodeBar> bars)
    {
        for (const BarcodeBar &b : bars)
            fillRect(QRectF(topLeft.x() + b.left, topLeft.y() + b.top, b.width, b.height));
    }

protected:
    PageCanvas() = default;
    PageCanvas(const PageCanvas &) = default;
    PageCanvas &operator=(const PageCanvas &) = default;
};

} // namespace engine
