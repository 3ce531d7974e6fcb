#pragma once

#include <QString>

namespace engine {

// Where PrintReport sends the report: a CUPS queue (empty: the default
// destination), a PDF file or PNG pictures of the pages.
struct PrintDestination {
    enum class Kind { Printer, PdfFile, PngFile };

    Kind kind = Kind::Printer;
    QString target;

    static PrintDestination defaultPrinter() { return {Kind::Printer, QString()}; }
    static PrintDestination printer(const QString &queue) { return {Kind::Printer, queue}; }
    static PrintDestination pdfFile(const QString &path) { return {Kind::PdfFile, path}; }
    static PrintDestination pngFile(const QString &path) { return {Kind::PngFile, path}; }
};

} // namespace engine
