#include "postal/addresses/ReaderRules.h"

#include "reporting_engine/base/Twips.h"

namespace postal {
namespace {

using engine::twips::fromInches;
using engine::twips::toInches;

constexpr double readAreaSide = fromInches(0.5);
constexpr double readAreaBottom = fromInches(0.625);
constexpr double readAreaTop = fromInches(2.75);
constexpr double clearZoneHeight = fromInches(0.625);
constexpr double clearZoneWidth = fromInches(4.75);
constexpr double barcodeDistance = fromInches(0.625);
// Positions typed in inches with three decimals do not land on whole twips.
constexpr double tolerance = 0.5;

} // namespace

QStringList ReaderRules::lineProblems(const QStringList &lines)
{
    QStringList out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        const qsizetype words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
        if (line.size() > maximumLineCharacters)
            out << QStringLiteral("line %1 is %2 characters; the address readers take %3").arg(i + 1).arg(line.size()).arg(maximumLineCharacters);
        else if (words > maximumLineWords)
            out << QStringLiteral("line %1 has %2 words; the address readers take %3").arg(i + 1).arg(words).arg(maximumLineWords);
    }
    return out;
}

QString ReaderRules::lastLineProblem(const QString &city, const QString &state)
{
    QStringList missing;
    if (city.trimmed().isEmpty())
        missing << QStringLiteral("the city");
    if (state.trimmed().isEmpty())
        missing << QStringLiteral("the state");
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("the last line lacks %1 (it is the city, the state and the ZIP code)").arg(missing.join(QStringLiteral(" and ")));
}

QRectF ReaderRules::ocrReadArea(const QSizeF &letter)
{
    return QRectF(readAreaSide, letter.height() - readAreaTop, letter.width() - 2 * readAreaSide, readAreaTop - readAreaBottom);
}

QString ReaderRules::readAreaProblem(const QRectF &block, const QSizeF &letter)
{
    const QRectF area = ocrReadArea(letter);
    if (area.adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(block))
        return QString();
    return QStringLiteral("the address block (%1) is not wholly inside the OCR read area (%2)").arg(inches(block), inches(area));
}

QRectF ReaderRules::barcodeClearZone(const QSizeF &letter)
{
    return QRectF(letter.width() - clearZoneWidth, letter.height() - clearZoneHeight, clearZoneWidth, clearZoneHeight);
}

QString ReaderRules::barcodeDistanceProblem(double lastLineBottom, double barcodeTop)
{
    const double gap = barcodeTop - lastLineBottom;
    if (gap <= barcodeDistance + tolerance)
        return QString();
    return QStringLiteral("the Intelligent Mail barcode is %1 in below the address's last line; at most %2 in")
        .arg(toInches(gap), 0, 'f', 3)
        .arg(toInches(barcodeDistance), 0, 'f', 3);
}

QString ReaderRules::inches(const QRectF &r)
{
    return QStringLiteral("%1, %2 to %3, %4 in")
        .arg(toInches(r.left()), 0, 'f', 3)
        .arg(toInches(r.top()), 0, 'f', 3)
        .arg(toInches(r.right()), 0, 'f', 3)
        .arg(toInches(r.bottom()), 0, 'f', 3);
}

} // namespace postal
