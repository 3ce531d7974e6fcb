#pragma once

#include <QStringList>

namespace engine {

// What the last PrintReport did, for callers that report it.
struct PrintOutcome {
    enum class Kind { NotPrinted, Printed, SavedPdf, SavedPng, Cancelled };

    Kind kind = Kind::NotPrinted;
    QString queue;      // Printed: the CUPS queue
    int jobId = 0;      // Printed: the CUPS job id
    QStringList files;  // SavedPdf / SavedPng: the files written
    int pages = 0;
    bool fellBackToFile = false; // no printer was available, so the output went to a PDF file
};

} // namespace engine
