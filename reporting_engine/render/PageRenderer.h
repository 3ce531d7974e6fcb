#pragma once

#include "reporting_engine/EngineExport.h"

#include <QStringList>

#include <memory>

class QPainter;

namespace engine {

class PageCanvas;
class ReportDesign;

// Paints one page of a report: the one drawing path shared by PDF, pictures and
// printing. Keeps fonts and barcodes between pages, so one renderer per output.
class PageRenderer {
public:
    PageRenderer();
    ~PageRenderer();
    PageRenderer(const PageRenderer &) = delete;
    PageRenderer &operator=(const PageRenderer &) = delete;

    void paint(PageCanvas &canvas, const ReportDesign &design);
    // The same on a painter whose unit is the twip, origin the paper's top-left corner.
    void paint(QPainter &painter, const ReportDesign &design);

    // The lines a text box's text prints as: CR LF, a lone CR and a lone LF each end one.
    ENGINE_EXPORT static QStringList splitLines(const QString &text);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
