#pragma once

#include "reporting_engine/print/MediaSourceChooser.h"
#include "reporting_engine/print/MediaTypeChooser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace engine {

// One print job for the CUPS scheduler.
struct CupsJobRequest {
    QString queue;            // empty: the CUPS default destination
    QString title;            // the job name
    QString documentPath;     // a complete PDF file
    // IPP job attributes as name/value, e.g. {"media", "na_number-10_4.125x9.5in"},
    // {"media-source", "envelope"}, {"print-scaling", "none"}.
    std::vector<std::pair<QByteArray, QByteArray>> options;
    bool zeroMargins = false; // ask for borderless/zero margins, only where the printer supports them
    // A Windows paper-source code, matched to the printer's own sources by meaning
    // (an explicit "media-source" option is sent as given instead).
    std::optional<int> paperSource;
    // The printer profile's source: used as given, when the printer offers it.
    QByteArray sourceOverride;
    // The paper's media type ("envelope"), matched to the printer's own types by
    // meaning (an explicit "media-type" option is sent as given instead); empty: none.
    QByteArray mediaType;
    // The printer profile's media type: used as given, when the printer offers it.
    QByteArray mediaTypeOverride;
};

// What a destination says of itself, as far as choosing paper goes.
struct CupsDestination {
    QString name;
    bool isDefault = false;
    QString description;            // printer-info
    PaperSources paper;             // its sources, with the printer's words for them
    std::vector<PrinterMediaType> mediaTypes; // media-type-supported, with the printer's words
    bool offersMedia = false;       // the asked-for media is among its sizes
    // What it said that could not be used, and what was done instead: "the
    // printer's words for its choices could not be read (...): keywords alone".
    QStringList notes;
};

// A job CUPS took, and the source and media type it was sent with.
struct CupsJob {
    QString queue;
    int id = 0;
    MediaSourceChoice source;
    MediaTypeChoice mediaType;
};

// How a job ended, as far as it was followed.
struct CupsJobEnd {
    enum class State { Completed, Aborted, Canceled, StillPending };
    State state = State::StillPending;
    QString jobReasons;     // job-state-reasons and job-printer-state-message
    QString printerReasons; // printer-state-reasons and printer-state-message
    int impressionsCompleted = -1; // job-impressions-completed; -1 where the scheduler gave none
};

// Printing through libcups, talking to the scheduler named by CUPS_SERVER /
// client.conf (normally the local socket). Every call opens its own connection
// with a short connect timeout, so nothing here waits long for a dead scheduler.
class CupsPrinter {
public:
    // The default destination's name (LPDEST, PRINTER, lpoptions, then the
    // scheduler's default), or nothing when CUPS has no destination or the
    // scheduler is not reachable.
    static std::optional<QString> defaultDestination();

    // Submits the whole document as one PDF job and returns its job id.
    // "media" with "media-source" and/or zero margins travel as one media-col,
    // the only form in which a PPD queue maps the source to its InputSlot and
    // the margins to a borderless size. A job CUPS refuses half-way is
    // cancelled. Throws EngineError naming the queue and CUPS's own error.
    static CupsJob submit(const CupsJobRequest &request);

    // Every destination's name, the default first marked; throws EngineError when
    // the scheduler is not reachable.
    static std::vector<CupsDestination> destinations();
    // What one destination reports (once), with whether it offers this media.
    static CupsDestination destination(const QString &queue, const QByteArray &media);
    // The source a job with this request would be sent to on that destination.
    static MediaSourceChoice chooseSource(const CupsDestination &destination, const CupsJobRequest &request);
    // The media type it would be sent with. Both throw EngineError for a profile's
    // choice the printer does not offer, listing those it does.
    static MediaTypeChoice chooseMediaType(const CupsDestination &destination, const CupsJobRequest &request);

    // Follows a job until it has ended or the time is up (polling the scheduler).
    static CupsJobEnd waitForJob(const QString &queue, int jobId, int timeoutSeconds);
};

} // namespace engine
