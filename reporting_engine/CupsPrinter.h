#pragma once

#include <QByteArray>
#include <QString>

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
    static int submit(const CupsJobRequest &request);
};

} // namespace engine
