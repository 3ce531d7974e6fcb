#pragma once

#include "reporting_engine/base/PagePlacement.h"
#include "reporting_engine/pdf/PdfDocumentWriter.h"
#include "reporting_engine/render/PageSink.h"

#include <QString>

#include <memory>

class QIODevice;

namespace engine {

// Writes the pages into one PDF on a device, fonts embedded, each page the size
// the report had when that page was made.
class PdfPageSink final : public PageSink {
public:
    // The document's title and creator, and outputName, which says in errors what
    // is being written: see PdfDocumentWriter.
    // Every page's drawing is moved by the placement (a printer's own), its size kept.
    PdfPageSink(QIODevice &device, PdfDocumentWriter::Info info, QString outputName = QString(),
                PagePlacement placement = PagePlacement());
    ~PdfPageSink() override;

    void addPage(const ReportDesign &design) override;
    void finish() override;
    int pageCount() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
