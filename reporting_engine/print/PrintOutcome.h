#pragma once

#include "reporting_engine/print/MediaSourceChooser.h"
#include "reporting_engine/print/MediaTypeChooser.h"
#include "reporting_engine/print/PrinterProfile.h"

#include <QStringList>

namespace engine {

// What the last PrintReport did, for callers that report it.
struct PrintOutcome {
    enum class Kind { NotPrinted, Printed, SavedPdf, SavedPng, Cancelled };

    Kind kind = Kind::NotPrinted;
    QString queue;      // Printed: the CUPS queue
    int jobId = 0;      // Printed: the CUPS job id (the first, when the run was sent as several)
    QStringList files;  // SavedPdf / SavedPng: the files written
    int pages = 0;
    bool fellBackToFile = false; // no printer was available, so the output went to a PDF file
    QString note;                // for the user, when something went otherwise than asked (the fallback)
    MediaSourceChoice source;    // Printed: the paper source the job asked for, and why
    PrinterProfile profile;      // Printed: the printer's profile that shaped the pages
    // Printed: every job's id, in order. Last, so that programs built against version 1.0
    // find the fields before it where they were.
    QList<int> jobIds;
    MediaTypeChoice mediaType; // Printed: the media type the job asked for, and why
};

} // namespace engine
