#pragma once

#include "reporting_engine/base/PagePlacement.h"

#include <QSizeF>
#include <QString>

#include <memory>

class QIODevice;

namespace engine {

class PageCanvas;

// Streams a PDF onto a device as pages are made: each page is compressed and
// written (on a second thread) as soon as it is done; fonts, the page tree and
// the cross-reference table follow at the end. Memory stays flat in the number
// of pages but for a few bytes of bookkeeping each. Device failures (a full
// disk) throw EngineError from the next call, never a silently short file.
class PdfDocumentWriter {
public:
    // The document information: its title, and the program it is made by (the
    // caller's name for itself; none when empty).
    struct Info {
        Info(QString documentTitle, QString creatorName = QString())
            : title(std::move(documentTitle)), creator(std::move(creatorName))
        {
        }
        QString title;
        QString creator;
    };

    // outputName says in errors what is being written ("/home/clerk/out.pdf");
    // by default, the PDF document and its title.
    PdfDocumentWriter(QIODevice &device, Info info, QString outputName = QString());
    // Without finish() the document is left incomplete; pending pages are dropped.
    ~PdfDocumentWriter();
    PdfDocumentWriter(const PdfDocumentWriter &) = delete;
    PdfDocumentWriter &operator=(const PdfDocumentWriter &) = delete;

    // A new page of this size: draw on the canvas in twips from its top-left
    // corner, then call endPage(). The placement moves the drawing on the page;
    // the page's size stays.
    PageCanvas &beginPage(const QSizeF &pageTwips, const PagePlacement &placement = PagePlacement());
    void endPage();
    // Writes the rest of the document; nothing can be added after it.
    void finish();
    int pageCount() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
