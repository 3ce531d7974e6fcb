#include "reporting_engine/report/PdfPageSink.h"

#include "reporting_engine/model/ReportDesign.h"
#include "reporting_engine/pdf/PdfDocumentWriter.h"
#include "reporting_engine/render/PageRenderer.h"

namespace engine {

struct PdfPageSink::Private {
    Private(QIODevice &device, PdfDocumentWriter::Info info, QString outputName, const PagePlacement &p)
        : writer(device, std::move(info), std::move(outputName)), placement(p)
    {
    }
    PdfDocumentWriter writer;
    PagePlacement placement;
    PageRenderer renderer;
};

PdfPageSink::PdfPageSink(QIODevice &device, PdfDocumentWriter::Info info, QString outputName, PagePlacement placement)
    : d(std::make_unique<Private>(device, std::move(info), std::move(outputName), placement))
{
}

PdfPageSink::~PdfPageSink() = default;

void PdfPageSink::addPage(const ReportDesign &design)
{
    d->renderer.paint(d->writer.beginPage(design.pageSizeTwips(), d->placement), design);
    d->writer.endPage();
}

void PdfPageSink::finish() { d->writer.finish(); }

int PdfPageSink::pageCount() const { return d->writer.pageCount(); }

} // namespace engine
