#pragma once

#include "envelope_report/EnvelopeExport.h"
#include "reporting_engine/PaperCatalog.h"
#include "reporting_engine/TextStyle.h"

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
    static constexpr double marginTwips = 0; // every edge
    static constexpr double printWidthTwips = 13680;
    static constexpr double detailHeightTwips = 5760;

    // In design order: the addressee block, its barcode, the return address's name line and the rest.
    static std::span<const Box> boxes();
};

} // namespace envelope
