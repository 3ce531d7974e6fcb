#pragma once

#include <QString>
#include <QStringList>

namespace envelope {

// The addressee block measured in its box with the envelope's own font at the smallest
// size the address readers take (postal::ReaderRules::minimumPointSize), the size the
// page never shrinks it below.
class AddresseeBox {
public:
    // Why block does not fit the box at that size, one reason a line that is too wide and
    // one for too many lines ("line 2 is 67 characters; at 8 pt the box holds about 52");
    // none when it fits.
    static QStringList fitProblems(const QString &block);
    // The same for the block's lines as the page breaks them (engine::PageRenderer::splitLines).
    static QStringList fitProblems(const QStringList &lines);
    // Why the Intelligent Mail barcode's box lies too far below the last of the block's lines;
    // empty when it does not. Measured at the smallest size, where the gap is widest.
    static QString intelligentMailDistanceProblem(qsizetype lines);
};

} // namespace envelope
