#pragma once

#include "envelope_report/EnvelopeExport.h"
#include "reporting_engine/base/PagePlacement.h"
#include "reporting_engine/model/PaperCatalog.h"
#include "reporting_engine/model/TextStyle.h"

#include <QRectF>
#include <QString>

#include <span>

namespace envelope {

// The envelope's page and the boxes printed on it, in one place: the envelope
// report is designed from it and the calibration envelope marks where its boxes
// must land, so the two cannot drift apart.
class ENVELOPE_EXPORT EnvelopeLayout {
public:
    struct Box {
        enum class Kind { Text, Barcode };

        QString name;
        QRectF rectTwips;    // from the Detail section's top-left corner
        engine::TextStyle style; // a text box's text, a barcode's caption
        Kind kind;
        QString dataField;   // the barcode's field; empty for a text box
    };

    static constexpr int paperSize = engine::PaperCatalog::paperNo10Envelope;
    static constexpr int paperSource = engine::PaperCatalog::sourceEnvelopeFeeder;
    static constexpr int orientation = engine::PaperCatalog::orientationLandscape;
    // The barcode's style codes: the design's POSTNET, and one of ours for the Intelligent Mail barcode.
    static constexpr int postnetStyle = 15;
    static constexpr int intelligentMailStyle = 1015;
    static constexpr double marginTwips = 0; // every edge
    static constexpr double printWidthTwips = 13680;
    static constexpr double detailHeightTwips = 5760;

    // In design order: the addressee block, its barcode, the return address's name line and the rest.
    static std::span<const Box> boxes();

    // The barcode box when it prints the Intelligent Mail barcode: in the POSTNET box's place
    // under the addressee block, wide enough for the 2.93 in symbol and its digits below, and
    // one clearance lower, as the addressee box may be filled to its bottom edge.
    static QRectF intelligentMailBox();

    // Throws EngineError naming the box and the numbers when the Intelligent Mail barcode in
    // imbBox would come nearer another box than 0.125 in left or right or 0.028 in above or
    // below, leave the envelope, or enter the corner the postal service prints its own
    // barcode into (the bottom 5/8 in of the rightmost 4 3/4 in). Positions are the layout's,
    // from the envelope's top-left corner: the margins are 0, so the Detail section starts
    // there. A printer profile's offset moves the whole page and is checked on its own.
    static void checkIntelligentMailPlacement(std::span<const Box> layout, const QRectF &imbBox);

    // Throws EngineError naming the box and the numbers when, moved as placement moves the
    // page on the envelope (a printer profile's offset), the addressee block would leave the
    // OCR read area or a box other than the barcode's would enter the barcode clear zone
    // (postal::ReaderRules).
    static void checkReaderPlacement(std::span<const Box> layout, const engine::PagePlacement &placement = {});
};

} // namespace envelope
