#pragma once

#include "reporting_engine/base/PagePlacement.h"
#include "reporting_engine/render/PageCanvas.h"

#include <QSizeF>

#include <memory>
#include <string>

namespace engine {

class PdfFontSet;

// A page canvas that writes one page's PDF content stream: the renderer's twips
// become points by one transformation at the top of the page, so every other
// number is the renderer's own.
class PdfCanvas final : public PageCanvas {
public:
    explicit PdfCanvas(PdfFontSet &fonts);
    ~PdfCanvas() override;
    PdfCanvas(const PdfCanvas &) = delete;
    PdfCanvas &operator=(const PdfCanvas &) = delete;

    // Starts a page of this size, writing its operators into `buffer` (emptied,
    // its capacity kept, so pages reuse their memory). Everything drawn on it is
    // moved by the placement, in twips, before it becomes points.
    void beginPage(const QSizeF &pageTwips, std::string buffer, const PagePlacement &placement = PagePlacement());
    // The page's content stream; the canvas is idle until the next beginPage().
    std::string endPage();

    void save() override;
    void restore() override;
    void clipRect(const QRectF &rect) override;
    void fillRect(const QRectF &rect) override;
    void drawText(const QPointF &baseline, const QString &text, const FontFace &face) override;
    void fillBars(const QPointF &topLeft, std::span<const BarcodeBar> bars) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
