#include "reporting_engine/PdfPageSink.h"

#include "reporting_engine/EngineError.h"
#include "reporting_engine/PageRenderer.h"
#include "reporting_engine/PageLayoutFactory.h"
#include "reporting_engine/Report.h"
#include "reporting_engine/Twips.h"

#include <QPainter>
#include <QPdfWriter>

namespace engine {

struct PdfPageSink::Private {
    Private(QIODevice &dev, QString t) : device(dev), title(std::move(t)) {}
    QIODevice &device;
    QString title;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    PageRenderer renderer;
    QSizeF pageSize;
    int pages = 0;
};

PdfPageSink::PdfPageSink(QIODevice &device, QString documentTitle)
    : d(std::make_unique<Private>(device, std::move(documentTitle)))
{
}

PdfPageSink::~PdfPageSink()
{
    if (d->painter.isActive())
        d->painter.end();
}

void PdfPageSink::addPage(const Report &report)
{
    const QSizeF size = report.pageSizeTwips();
    if (!d->writer) {
        d->writer = std::make_unique<QPdfWriter>(&d->device);
        d->writer->setResolution(static_cast<int>(twips::perInch)); // one unit is one twip
        d->writer->setTitle(d->title);
        d->writer->setCreator(QStringLiteral("Korva envelope printer"));
        d->writer->setPageLayout(PageLayoutFactory::layoutFor(size));
        if (!d->painter.begin(d->writer.get()))
            throw EngineError(QStringLiteral("Cannot start the PDF document \"%1\".").arg(d->title));
    } else {
        if (size != d->pageSize)
            d->writer->setPageLayout(PageLayoutFactory::layoutFor(size));
        if (!d->writer->newPage())
            throw EngineError(QStringLiteral("Cannot add page %1 to the PDF document \"%2\".").arg(d->pages + 1).arg(d->title));
    }
    d->pageSize = size;
    d->renderer.paint(d->painter, report);
    ++d->pages;
}

void PdfPageSink::finish()
{
    if (d->painter.isActive() && !d->painter.end())
        throw EngineError(QStringLiteral("Cannot finish the PDF document \"%1\".").arg(d->title));
}

int PdfPageSink::pageCount() const { return d->pages; }

} // namespace engine
