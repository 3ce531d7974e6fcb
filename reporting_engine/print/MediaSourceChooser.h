#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/print/InputTray.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

namespace engine {

// Media a printer names with a source: loaded there now (media-col-ready), or
// one it can take there (media-col-database).
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

// What a printer says of its paper sources.
struct PaperSources {
    std::vector<PrinterSource> supported; // media-source-supported, with the printer's words
    std::vector<ReadyMedia> ready;        // media-col-ready
    std::vector<ReadyMedia> listed;       // media-col-database entries that name a source
    std::vector<InputTray> trays;         // printer-input-tray
};

// The media-source keyword a job asks for, and why.
struct MediaSourceChoice {
    QByteArray keyword;       // empty: the job names no source, the printer uses its default
    QString reason;           // for the user: "the printer says this paper is loaded there", ...
    bool usedDefault = false; // nothing fitting was offered: the printer's default tray
    bool feedsManually = false; // the printer will stop and ask for each sheet there
    bool noChoice = false;    // the queue offers no sources at all: the printer's own default, nothing sent
};

// Picks a printer's own source for a Windows paper-source code by meaning rather
// than by one fixed keyword: drivers name their trays after the PPD's choices
// ("envelope-feeder", "env-cas", "ef-1" "Envelope Feeder", ...) and driverless
// printers often have no envelope source at all but say where paper is loaded
// and which of their trays feed by hand.
class ENGINE_EXPORT MediaSourceChooser {
public:
    // paperHmm: the job's paper.
    static MediaSourceChoice choose(int windowsSourceCode, const QSize &paperHmm, const PaperSources &printer);

    // A choice's keyword ("env-cas", "tray-1-man") and its driver's words ("Multi
    // Purpose Tray") as lower-case words, the way both are read by meaning.
    static QStringList words(const QByteArray &keyword, const QString &text);
};

} // namespace engine
