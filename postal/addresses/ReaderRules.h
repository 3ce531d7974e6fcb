#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace postal {

// What the USPS address readers and barcode sorters need of a letter's address block,
// each rule once. Positions are in twips on the letter as it is fed (landscape), from
// its top-left corner; the envelope gives its own numbers.
class ReaderRules {
public:
    // DMM 202.1.2: automation and machinable mail in at least 8-point type (0.080 in tall).
    static constexpr double minimumPointSize = 8.0;
    // Pub 28 §35, App. A1: the readers skip a line of more than 40 characters or 8 words.
    static constexpr int maximumLineCharacters = 40;
    static constexpr int maximumLineWords = 8;

    // Why these lines (the block as printed, the last one city, state and ZIP) break the
    // readers' line limits, one reason a line; none when they keep them.
    static QStringList lineProblems(const QStringList &lines);

    // Pub 28 §343: the last line is the city, the state and the ZIP Code. Why it lacks the
    // city or the state; empty when it has both (the ZIP is ZipCode's to judge).
    static QString lastLineProblem(const QString &city, const QString &state);

    // Pub 28 App. A1, DMM 202.2.1: the OCR read area, 1/2 in from the left and right edges
    // and from 5/8 in to 2 3/4 in above the bottom edge.
    static QRectF ocrReadArea(const QSizeF &letter);
    // Why block lies not wholly inside it; empty when it does.
    static QString readAreaProblem(const QRectF &block, const QSizeF &letter);

    // DMM 202.5: the barcode clear zone, the bottom 5/8 in of the rightmost 4 3/4 in,
    // where the sorters print and read their own barcode: nothing else may lie there.
    static QRectF barcodeClearZone(const QSizeF &letter);

    // DMM 202.5, Pub 28 §35: an Intelligent Mail barcode above the clear zone lies at most
    // 5/8 in below the block's last line. Why the barcode's top at barcodeTop is too far from
    // the last line's bottom at lastLineBottom; empty when it is not.
    static QString barcodeDistanceProblem(double lastLineBottom, double barcodeTop);

    // A rectangle as a user reads it: "4.375, 2.063 to 6.813, 2.813 in".
    static QString inches(const QRectF &r);
};

} // namespace postal
