#pragma once

#include <memory>

class QPainter;

namespace engine {

class Report;

// Paints one page of a report: the one drawing path shared by PDF, pictures and
// printing. The painter's unit must be the twip, its origin the paper's top-left
// corner. Keeps fonts and barcodes between pages, so one renderer per output.
class PageRenderer {
public:
    PageRenderer();
    ~PageRenderer();
    PageRenderer(const PageRenderer &) = delete;
    PageRenderer &operator=(const PageRenderer &) = delete;

    void paint(QPainter &painter, const Report &report);

    // Fonts the report names that a Linux machine lacks get their metric twins.
    static void installFontSubstitutes();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
