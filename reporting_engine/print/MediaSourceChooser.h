#pragma once

#include "reporting_engine/EngineExport.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <vector>

namespace engine {

// Media a printer says is loaded now (media-col-ready): where, and how big.
struct ReadyMedia {
    QByteArray source;  // media-source keyword; may be empty
    QSize sizeHmm;      // hundredths of a millimetre, portrait or not
};

// One of a printer's paper sources: its media-source keyword and the words its
// driver shows for it ("ef-1": "Envelope Feeder"), which may say more.
struct PrinterSource {
    QByteArray keyword;
    QString text; // empty when the printer gives none
};

// The media-source keyword a job asks for, and why.
struct MediaSourceChoice {
    QByteArray keyword;      // empty: the job names no source, the printer uses its default
    QString reason;          // for the user: "No. 10 envelopes are loaded there", ...
    bool usedDefault = false; // nothing fitting was offered: the printer's default tray
};

// Picks a printer's own source for a Windows paper-source code by meaning rather
// than by one fixed keyword: drivers name their trays after the PPD's choices
// ("envelope-feeder", "env-cas", ...) and driverless printers often have no
// envelope source at all but say where envelopes are loaded.
class ENGINE_EXPORT MediaSourceChooser {
public:
    // supported: media-source-supported; ready: media-col-ready; paperHmm: the job's paper.
    static MediaSourceChoice choose(int windowsSourceCode, const QSize &paperHmm, const std::vector<PrinterSource> &supported,
                                    const std::vector<ReadyMedia> &ready);
};

} // namespace engine
