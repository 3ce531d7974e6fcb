#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

namespace testsupport {

// Reads a PDF the way a user's tools do (poppler's pdfinfo, pdffonts, pdftotext),
// so tests check the file that was written, not our idea of it.
class PdfReport {
public:
    struct Word {
        QString text;
        QRectF box; // points, from the page's top-left corner
        int page;   // from 1
    };

    explicit PdfReport(QString path);

    int pageCount() const;
    QSizeF pageSizePoints() const;
    QString creator() const;          // the program the document says made it
    QStringList fonts() const;        // embedded font names
    bool allFontsEmbedded() const;
    std::vector<Word> words() const;
    QString text() const;

    // The bars drawn inside an area of the first page (points), left to right, as poppler
    // renders them at dpi: each run of dark pixel columns, from its highest to its lowest
    // dark pixel, in points from the page's top-left corner.
    std::vector<QRectF> barsInside(const QRectF &areaPoints, int dpi) const;

    // The words inside a box (points, half a point of slack), joined line by line, top to bottom.
    static QStringList linesInside(const std::vector<Word> &words, const QRectF &boxPoints);

private:
    QString run(const QString &program, const QStringList &args) const;
    QString m_path;
};

} // namespace testsupport
