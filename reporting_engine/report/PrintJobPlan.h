#pragma once

#include "reporting_engine/print/CupsPrinter.h"

#include <QString>

#include <functional>
#include <optional>

namespace engine {

// One print job of a run: which of the run's pages it holds and what became of it.
struct PrintJobPart {
    int firstPage = 0; // 1 for the run's first page
    int lastPage = 0;
    QString title;
    QString queue;
    int jobId = 0;
    CupsJobEnd end; // once followed; StillPending until then
};

// How a report sent to a printer is split into jobs. Each job is made into a
// spool file of its own and submitted as soon as its last page is made, so the
// printer starts on it while the next is being made.
struct PrintJobPlan {
    int pagesPerJob = 0; // 0: the whole run is one job
    // The title of the job holding these pages; empty: the report's title.
    std::function<QString(int firstPage, int lastPage)> title;
    // Follow each job to its end (at most this long) before the next is submitted;
    // a job that does not complete stops the run with an EngineError naming it.
    std::optional<int> waitSeconds;
    // Called once a job is taken by CUPS, and once it has been followed to its end;
    // either may throw to stop the run before anything more is submitted.
    std::function<void(const PrintJobPart &part)> submitted;
    std::function<void(const PrintJobPart &part)> ended;
};

} // namespace engine
