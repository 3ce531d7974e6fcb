#pragma once

#include "reporting_engine/EngineExport.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace engine {

// One of a printer's media types: its media-type keyword and the words its
// driver shows for it ("rough-envelope": "Rough Envelope").
struct PrinterMediaType {
    QByteArray keyword;
    QString text; // empty when the printer gives none
};

// The media-type keyword a job asks for, and why.
struct MediaTypeChoice {
    QByteArray keyword;    // empty: none is sent, the printer uses its own
    QString reason;        // for the user
    bool noChoice = false; // the queue offers no media types at all
};

// Picks the printer's own media type for the kind of paper a job is on
// ("envelope"), so that the printer fuses and feeds it as that paper and does
// not stop to ask because a tray is set to it and the job says plain paper.
class ENGINE_EXPORT MediaTypeChooser {
public:
    // wanted: the paper's media type; offered: media-type-supported with the printer's words.
    static MediaTypeChoice choose(const QByteArray &wanted, const std::vector<PrinterMediaType> &offered);
};

} // namespace engine
